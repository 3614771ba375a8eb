#include "ui/controls/img_button.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

#include "ui/skin/skin_folder.h"
#include "ui/skin/skin_palette.h"

namespace quen::ui {

CImgButton::CImgButton(int id, const QString& accessible_name, QWidget* parent) : QAbstractButton(parent), id_(id) {
    setAccessibleName(accessible_name);
    setText(accessible_name);
    setToolTip(accessible_name);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

bool CImgButton::attach(const QString& picture, int x, int y, int frames) {
    frames_ = frames > 0 ? frames : 1;
    strip_ = load_skin_picture(picture);
    frame_size_ = quen::ui::frame_size(strip_, frames_);
    if (parentWidget()) {
        if (x < 0) x += parentWidget()->width() - frame_size_.width();
        if (y < 0) y += parentWidget()->height() - frame_size_.height();
    }
    setGeometry(x, y, frame_size_.width(), frame_size_.height());
    show();
    return !strip_.isNull();
}

int CImgButton::current_frame() const {
    if (!isEnabled()) return 3;
    if (isDown()) return 2;
    if (hover_) return 1;
    return 0;
}

void CImgButton::paintEvent(QPaintEvent*) {
    if (strip_.isNull()) return;
    QPainter p(this);
    draw_frame(p, strip_, frames_, std::min(current_frame(), frames_ - 1), QPointF(0, 0));
    if (keyboard_focus_ && isEnabled()) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(skin::kFocusRing, 1.5, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
    }
}

void CImgButton::enterEvent(QEnterEvent* e) {
    hover_ = true;
    update();
    QAbstractButton::enterEvent(e);
}

void CImgButton::leaveEvent(QEvent* e) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void CImgButton::mousePressEvent(QMouseEvent* e) {
    // The pressed look replaces the hover look until the pointer comes back.
    hover_ = false;
    QAbstractButton::mousePressEvent(e);
}

void CImgButton::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

void CImgButton::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) {
        if (isEnabled())
            setCursor(Qt::PointingHandCursor);
        else
            unsetCursor();
        hover_ = false;
        update();
    }
    QAbstractButton::changeEvent(e);
}

void CImgButton::focusInEvent(QFocusEvent* e) {
    keyboard_focus_ = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason ||
                      e->reason() == Qt::ShortcutFocusReason;
    update();
    QAbstractButton::focusInEvent(e);
}

void CImgButton::focusOutEvent(QFocusEvent* e) {
    keyboard_focus_ = false;
    update();
    QAbstractButton::focusOutEvent(e);
}

}  // namespace quen::ui
