#include "ui/dialogs/skinned_dialog.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include "ui/skin/font_pool.h"
#include "ui/skin/skin_folder.h"
#include "update/description/update_info.h"

namespace quen::ui {
namespace {

// The parts of the background kept unstretched when a dialog grows: the
// title band above, the button row below.
constexpr int kKeepTop = 40;
constexpr int kKeepBottom = 70;

}  // namespace

SkinnedDialog::SkinnedDialog(const QString& background, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), title_font_(pool_font(0)) {
    background_ = load_skin_picture(background);
    setFixedSize(logical_size(background_));
    setWindowTitle(QString::fromUtf8(update::kProductName));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SkinnedDialog::grow_to_height(int height) {
    const int h = std::max(height, logical_size(background_).height());
    if (h != this->height()) setFixedSize(width(), h);
}

void SkinnedDialog::set_title_place(QPoint at, const QFont& font) {
    title_at_ = at;
    title_font_ = font;
}

void SkinnedDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QSize bg = logical_size(background_);
    if (bg.height() >= height() || bg.height() <= kKeepTop + kKeepBottom) {
        p.drawPixmap(QRect(QPoint(0, 0), size()), background_);
    } else {
        // Three bands: top and bottom as painted, the middle stretched.
        const qreal r = background_.devicePixelRatio();
        auto src = [r](int y, int w, int h) { return QRectF(0, y * r, w * r, h * r); };
        p.drawPixmap(QRectF(0, 0, width(), kKeepTop), background_, src(0, bg.width(), kKeepTop));
        p.drawPixmap(QRectF(0, kKeepTop, width(), height() - kKeepTop - kKeepBottom), background_,
                     src(kKeepTop, bg.width(), bg.height() - kKeepTop - kKeepBottom));
        p.drawPixmap(QRectF(0, height() - kKeepBottom, width(), kKeepBottom), background_,
                     src(bg.height() - kKeepBottom, bg.width(), kKeepBottom));
    }
    p.setPen(Qt::white);
    p.setFont(title_font_);
    p.drawText(QRect(title_at_, QSize(width() - title_at_.x() - 40, 24)), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               windowTitle());
    paint_texts(p);
}

void SkinnedDialog::showEvent(QShowEvent* e) {
    centre_over_owner();
    QDialog::showEvent(e);
}

void SkinnedDialog::centre_over_owner() {
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QRect around = owner && owner->isVisible() ? owner->frameGeometry() : area;
    QPoint at = around.center() - QPoint(width() / 2, height() / 2);
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width() + 1)));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - height() + 1)));
    move(at);
}

void SkinnedDialog::resizeEvent(QResizeEvent* e) {
    // The region over the whole surface plus one pixel each way, with a
    // 5 x 5 corner ellipse.
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width() + 1, height() + 1), 2.5, 2.5);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
    QDialog::resizeEvent(e);
}

void SkinnedDialog::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        dragging_ = true;
        drag_offset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(e);
}

void SkinnedDialog::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_ && (e->buttons() & Qt::LeftButton)) move(e->globalPosition().toPoint() - drag_offset_);
    QDialog::mouseMoveEvent(e);
}

void SkinnedDialog::mouseReleaseEvent(QMouseEvent* e) {
    dragging_ = false;
    QDialog::mouseReleaseEvent(e);
}

}  // namespace quen::ui
