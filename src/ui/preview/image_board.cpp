#include "ui/preview/image_board.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include "ui/skin/font_pool.h"
#include "ui/skin/skin_folder.h"
#include "ui/text/size_time_text.h"

namespace quen::ui {

DhImagePreviewBoard::DhImagePreviewBoard(QWidget* parent) : QWidget(parent) {
    file_icon_ = load_skin_picture("file.png");
    setAccessibleName(tr("Picture preview"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(244, 247, 250));
    setPalette(pal);
}

void DhImagePreviewBoard::set_requested(const std::string& path, const QString& name, uint64_t size) {
    requested_ = path;
    name_ = name;
    size_ = size;
    update();
}

void DhImagePreviewBoard::copy_written() {
    // Decoded again even when a picture was shown: a paint while the copy
    // was still being written may have decoded only its first part.
    loaded_valid_ = false;
    repaint();
}

QRect DhImagePreviewBoard::fit(QSize image, QSize panel) {
    if (image.isEmpty()) return QRect();
    const double sx = static_cast<double>(panel.width()) / image.width();
    const double sy = static_cast<double>(panel.height()) / image.height();
    QSize drawn = image;
    if (sx < 1 || sy < 1) {
        const double s = std::min(sx, sy);
        drawn = QSize(static_cast<int>(image.width() * s), static_cast<int>(image.height() * s));
    }
    return QRect(static_cast<int>((panel.width() - drawn.width()) * 0.5), static_cast<int>((panel.height() - drawn.height()) * 0.5),
                 drawn.width(), drawn.height());
}

QRect DhImagePreviewBoard::picture_rect() const { return image_.isNull() ? QRect() : fit(image_.size(), size()); }

void DhImagePreviewBoard::load_if_needed() {
    if (loaded_valid_ && loaded_ == requested_) return;
    loaded_ = requested_;
    loaded_valid_ = true;
    image_ = QImage();
    if (requested_.empty()) return;
    ++decodes_;
    QImageReader reader(QString::fromUtf8(requested_));
    reader.setAutoTransform(true);  // phones store turned pictures with an orientation tag
    // Nothing there yet (the copy may still be on its way) is tried again when
    // the copy is written, not at every paint.
    image_ = reader.read();
}

void DhImagePreviewBoard::paintEvent(QPaintEvent*) {
    load_if_needed();
    QPainter p(this);
    if (!image_.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(picture_rect(), image_);
        return;
    }
    if (requested_.empty() || name_.isEmpty()) return;
    // Not a picture this panel can show: its icon, name and size instead.
    const QSize is = logical_size(file_icon_) * 3;
    const QRect icon(QPoint((width() - is.width()) / 2, height() / 2 - is.height() - 6), is);
    if (!file_icon_.isNull()) p.drawPixmap(icon, file_icon_);
    p.setFont(pool_font(260));
    p.setPen(QColor(50, 50, 50));
    const QRect line1(10, icon.bottom() + 10, width() - 20, 18);
    p.drawText(line1, Qt::AlignHCenter | Qt::AlignTop, p.fontMetrics().elidedText(name_, Qt::ElideMiddle, line1.width()));
    p.setFont(pool_font(256));
    p.setPen(QColor(110, 118, 129));
    const QRect line2(10, line1.bottom() + 4, width() - 20, 18);
    p.drawText(line2, Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(size_text(size_)));
    // A copy that is there but does not decode: say so. One still on its way
    // shows name and size only, until it is written.
    if (QFileInfo::exists(QString::fromUtf8(requested_)))
        p.drawText(QRect(10, line2.bottom() + 4, width() - 20, 18), Qt::AlignHCenter | Qt::AlignTop, tr("No preview for this kind of file"));
}

}  // namespace quen::ui
