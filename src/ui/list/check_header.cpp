#include "ui/list/check_header.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/skin/font_pool.h"
#include "ui/skin/skin_folder.h"

namespace quen::ui {

CheckAllBox::CheckAllBox(QWidget* parent) : QWidget(parent) {
    strip_ = load_skin_picture("checkbox.png");
    setGeometry(5, 7, 13, 14);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(tr("Check all"));
    setToolTip(tr("Check or uncheck every row (Ctrl+A checks all)"));
}

void CheckAllBox::set_checked(bool c) {
    checked_ = c;
    update();
}

void CheckAllBox::paintEvent(QPaintEvent*) {
    if (strip_.isNull()) return;
    QPainter p(this);
    draw_frame(p, strip_, 4, checked_ ? 2 : 0, QPointF(0, (height() - frame_size(strip_, 4).height()) / 2.0));
}

void CheckAllBox::mousePressEvent(QMouseEvent* e) { pressed_ = e->button() == Qt::LeftButton; }

void CheckAllBox::mouseReleaseEvent(QMouseEvent* e) {
    if (pressed_ && rect().contains(e->position().toPoint())) {
        checked_ = !checked_;
        update();
        emit flipped(checked_);
    }
    pressed_ = false;
}

CHeaderCtrlCheck::CHeaderCtrlCheck(MessageSink& list, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), list_(list) {
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(true);
    setSectionsMovable(false);
    setHighlightSections(false);
    setFixedHeight(kHeight);
    setMinimumSectionSize(1);
    background_ = load_skin_picture("list_hearder.bmp");
    inc_ = load_skin_picture("inc.png");
    dec_ = load_skin_picture("dec.png");
    box_ = new CheckAllBox(viewport());
    connect(box_, &CheckAllBox::flipped, this, [this](bool on) { list_.send(WM_HEADER_CHECK_ALL, on ? 1 : 0, 0); });
}

QSize CHeaderCtrlCheck::sizeHint() const { return QSize(QHeaderView::sizeHint().width(), kHeight); }

bool CHeaderCtrlCheck::check_all() const { return box_->checked(); }
void CHeaderCtrlCheck::set_check_all(bool checked) { box_->set_checked(checked); }

void CHeaderCtrlCheck::set_sort_arrow(int column, bool ascending) {
    sort_column_ = column;
    ascending_ = ascending;
    viewport()->update();
}

void CHeaderCtrlCheck::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const int w = viewport()->width(), h = viewport()->height();
    if (!background_.isNull()) {
        // The slice at x = 2, one pixel wide, stretched over the whole header.
        const qreal r = background_.devicePixelRatio();
        p.drawPixmap(QRectF(0, 0, w, h), background_, QRectF(2 * r, 0, 1 * r, background_.height()));
    } else {
        p.fillRect(rect(), QColor(240, 242, 245));
    }
    p.setPen(QColor(210, 210, 210));
    p.drawLine(0, 0, 0, h);
    p.setFont(pool_font(256));
    for (int i = 0; i < count(); ++i) {
        const int x = sectionViewportPosition(i);
        const int sw = sectionSize(i);
        if (i > 0) {
            p.setPen(QColor(210, 210, 210));
            p.drawLine(x, 1, x, h);
        }
        const QString title = model() ? model()->headerData(i, Qt::Horizontal).toString() : QString();
        p.setPen(QColor(34, 40, 49));
        const QRect tr(x + 2, 0, sw - 4, h);
        p.drawText(tr, Qt::AlignCenter | Qt::TextSingleLine, p.fontMetrics().elidedText(title, Qt::ElideRight, tr.width()));
        if (i == sort_column_) {
            const QPixmap& arrow = ascending_ ? inc_ : dec_;
            const QSize as = logical_size(arrow);
            p.drawPixmap(QRect(QPoint(x + sw - 20, (h - as.height()) / 2), as), arrow);
        }
    }
}

}  // namespace quen::ui
