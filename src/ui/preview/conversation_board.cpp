#include "ui/preview/conversation_board.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

#include "ui/preview/msg_bubble.h"
#include "ui/sink/qt_message_sink.h"

namespace quen::ui {
namespace {

constexpr int kWheelPositions = 5;
constexpr int kFirstTop = 30;
constexpr int kLeft = 10;

}  // namespace

CMsgInfoBoard::CMsgInfoBoard(QWidget* parent)
    : QWidget(parent), content_(new QWidget(this)), bar_(new QScrollBar(Qt::Vertical, this)) {
    setFocusPolicy(Qt::ClickFocus);
    setAccessibleName(tr("Conversation"));
    content_->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(bar_, &QScrollBar::valueChanged, this, [this](int v) { content_->move(0, -v * kStep); });
    update_range();
}

std::vector<const records::MessageRecord*> CMsgInfoBoard::display_order(const records::ThreadRecord& thread) {
    std::vector<const records::MessageRecord*> order;
    order.reserve(thread.messages.size());
    for (const auto& m : thread.messages) order.push_back(&m);
    std::stable_sort(order.begin(), order.end(), [](const records::MessageRecord* a, const records::MessageRecord* b) {
        // std::string compares its chars as unsigned values.
        return a->date_text < b->date_text;
    });
    return order;
}

void CMsgInfoBoard::show_conversation(const records::ThreadRecord* thread) {
    for (CMsgInfoItem* b : bubbles_) delete b;
    bubbles_.clear();
    bar_->setValue(0);
    if (thread) {
        for (const records::MessageRecord* m : display_order(*thread)) {
            if (m->body.empty()) continue;  // no bubble for an empty body
            // A deleted message rebuilt from free space may have lost its date.
            const QString time = m->date_text.empty() ? tr("date unknown") : QString::fromUtf8(m->date_text);
            auto* b = new CMsgInfoItem(m->type == 1 ? kReceived : kSent, QString::fromUtf8(m->body), time, content_);
            bubbles_.push_back(b);
            b->show();
        }
    }
    place_bubbles();
    update_range();
    update();
}

void CMsgInfoBoard::place_bubbles() {
    int top = kFirstTop;
    content_height_ = kFirstTop;
    for (CMsgInfoItem* b : bubbles_) {
        b->move(kLeft, top);
        top += b->height();
        content_height_ += b->height() + 20;
    }
    content_->resize(width(), std::max(height(), top + 20));
}

void CMsgInfoBoard::update_range() {
    // Positions of 10 pixels, as far as the last bubble and no further.
    const int over = std::max(0, content_height_ - height());
    bar_->setRange(0, (over + kStep - 1) / kStep);
    bar_->setPageStep(std::max(1, height() / kStep));
    bar_->setVisible(bar_->maximum() > 0);
}

void CMsgInfoBoard::resizeEvent(QResizeEvent*) {
    const int w = bar_->sizeHint().width();
    bar_->setGeometry(width() - w, 0, w, height());
    bar_->raise();
    place_bubbles();
    update_range();
}

bool CMsgInfoBoard::event(QEvent* e) {
    if (const Message* m = sink_message(e)) {
        if (m->id == WM_SHOW_CONVERSATION) show_conversation(reinterpret_cast<const records::ThreadRecord*>(m->lparam));
        return true;
    }
    return QWidget::event(e);
}

void CMsgInfoBoard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(244, 247, 250));
    p.setPen(QColor(200, 200, 200));
    p.drawLine(0, 0, 0, height());
}

void CMsgInfoBoard::wheelEvent(QWheelEvent* e) {
    bar_->setValue(bar_->value() - (e->angleDelta().y() / 120) * kWheelPositions);
    e->accept();
}

void CMsgInfoBoard::mousePressEvent(QMouseEvent*) { setFocus(Qt::MouseFocusReason); }

}  // namespace quen::ui
