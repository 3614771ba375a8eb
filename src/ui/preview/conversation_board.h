#pragma once
// CMsgInfoBoard: the messages of the thread chosen in the list as chat
// bubbles, oldest first (a stable sort by date text, so messages of the same
// second keep their order), received on the left and sent on the right.
// Scrolls in steps of 10 pixels, 5 steps a wheel notch. It never changes the
// thread: the order is its own.
#include <QWidget>

#include <vector>

#include "records/model/record_model.h"

class QScrollBar;

namespace quen::ui {

class CMsgInfoItem;

class CMsgInfoBoard final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kStep = 10;  // pixels per scroll position

    explicit CMsgInfoBoard(QWidget* parent);

    // Rebuilds the bubbles (null: none); also on WM_SHOW_CONVERSATION.
    void show_conversation(const records::ThreadRecord* thread);
    const std::vector<CMsgInfoItem*>& bubbles() const { return bubbles_; }
    int content_height() const { return content_height_; }
    QScrollBar* scroll_bar() const { return bar_; }

    // The messages in display order: a stable sort by date text, bytes
    // compared as unsigned values.
    static std::vector<const records::MessageRecord*> display_order(const records::ThreadRecord& thread);

protected:
    bool event(QEvent*) override;
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void place_bubbles();
    void update_range();

    std::vector<CMsgInfoItem*> bubbles_;
    QWidget* content_;
    QScrollBar* bar_;
    int content_height_ = 0;
};

}  // namespace quen::ui
