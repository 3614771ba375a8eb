#pragma once
// CContactInfoBoard: every field of the contact chosen in the list, on a card
// with the default portrait; labels on the left, values wrapped character by
// character beside them. Scrolls by pixels, 10 a wheel notch, over as much of
// the card as lies below the panel. A value longer than its box shows the
// lines that fit, the last ending in an ellipsis; its tooltip holds it whole.
#include <QPixmap>
#include <QWidget>

#include "records/model/record_model.h"

class QScrollBar;

namespace quen::ui {

class CContactInfoBoard final : public QWidget {
    Q_OBJECT
public:
    explicit CContactInfoBoard(QWidget* parent);

    // The record to show (null: nothing); also on WM_SHOW_CONTACT.
    void show_contact(const records::ContactRecord* contact);
    const records::ContactRecord* contact() const { return contact_; }
    // The canvas the card is painted on (the main window sets it).
    void set_canvas(const QRect& canvas);
    int scroll_offset() const;
    QScrollBar* scroll_bar() const { return bar_; }

    // The label rows: label, value, top, bottom of the value box.
    struct Field {
        const char* label;
        std::string records::ContactRecord::*value;
        int top, bottom;
    };
    static const std::vector<Field>& fields();
    // The whole value of the field at `pos` (empty: none), for its tooltip.
    QString value_at(const QPoint& pos) const;

protected:
    bool event(QEvent*) override;
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void update_range();

    const records::ContactRecord* contact_ = nullptr;
    QRect canvas_{0, 0, 984, 628};
    QPixmap portrait_;
    QScrollBar* bar_;
};

}  // namespace quen::ui
