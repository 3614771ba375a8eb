#include "ui/controls/hyperlink.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/controls/url_opener.h"
#include "ui/skin/skin_palette.h"

namespace quen::ui {

CMyHyperLink::CMyHyperLink(const QString& text, const QUrl& target, const QFont& font, QWidget* parent)
    : QWidget(parent), text_(text), target_(target) {
    QFont f = font;
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setToolTip(target.toString());
    setAccessibleName(text);
    setAccessibleDescription(target.toString());
    setFocusPolicy(Qt::TabFocus);
    resize(sizeHint());
}

QSize CMyHyperLink::sizeHint() const {
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(text_) + 2, fm.height() + 2);
}

void CMyHyperLink::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(link_colour());
    p.drawText(rect().adjusted(1, 1, -1, -1), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text_);
    if (hasFocus()) {
        p.setPen(QPen(skin::kFocusRing, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CMyHyperLink::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
}

void CMyHyperLink::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    if (click) open();
}

void CMyHyperLink::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space) {
        open();
        return;
    }
    QWidget::keyPressEvent(e);
}

void CMyHyperLink::open() {
    open_url(target_);
    visited_ = true;
    update();
    emit opened();
}

}  // namespace quen::ui
