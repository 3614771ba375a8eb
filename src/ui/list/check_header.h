#pragma once
// CHeaderCtrlCheck: the checked list's header. Drawn from the skin (a slice of
// "list_hearder.bmp" stretched over it, thin dividers, centred titles, the
// sort arrow of the sorted column); 30 pixels high; its dividers cannot be
// dragged. At its left sits the check-all box: a click flips it and tells the
// list (WM_HEADER_CHECK_ALL, 1 or 0).
#include <QHeaderView>
#include <QPixmap>

#include "platform/message_sink.h"

namespace quen::ui {

class CheckAllBox;

class CHeaderCtrlCheck final : public QHeaderView {
    Q_OBJECT
public:
    static constexpr int kHeight = 30;

    CHeaderCtrlCheck(MessageSink& list, QWidget* parent);

    bool check_all() const;
    void set_check_all(bool checked);  // no message
    void set_sort_arrow(int column, bool ascending);
    int sort_column() const { return sort_column_; }
    CheckAllBox* check_all_box() const { return box_; }

protected:
    void paintEvent(QPaintEvent*) override;
    QSize sizeHint() const override;

private:
    MessageSink& list_;
    CheckAllBox* box_ = nullptr;
    QPixmap background_, inc_, dec_;
    int sort_column_ = -1;
    bool ascending_ = false;
};

// The two-state box the header holds, drawn with the list's check frames.
class CheckAllBox final : public QWidget {
    Q_OBJECT
public:
    explicit CheckAllBox(QWidget* parent);
    bool checked() const { return checked_; }
    void set_checked(bool c);

signals:
    void flipped(bool checked);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    QPixmap strip_;
    bool checked_ = false;
    bool pressed_ = false;
};

}  // namespace quen::ui
