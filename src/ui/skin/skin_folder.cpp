#include "ui/skin/skin_folder.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmapCache>

#include "platform/paths.h"

namespace quen::ui {
namespace {

QString& chosen_folder() {
    static QString folder;
    return folder;
}

}  // namespace

QString skin_folder() {
    if (!chosen_folder().isEmpty()) return chosen_folder();
    return QString::fromStdString(platform::program_folder()) + "/image/";
}

void set_skin_folder(const QString& folder) {
    chosen_folder() = folder.endsWith('/') ? folder : folder + '/';
}

QString skin_path(const QString& name) { return skin_folder() + name; }

namespace {

QPixmap read_skin_picture(const QString& name, bool twice) {
    if (twice) {
        const int dot = name.lastIndexOf('.');
        const QString hi = dot < 0 ? name + "@2x" : name.left(dot) + "@2x" + name.mid(dot);
        QPixmap pm;
        if (QFileInfo::exists(skin_path(hi)) && pm.load(skin_path(hi))) {
            pm.setDevicePixelRatio(2.0);
            return pm;
        }
    }
    QPixmap pm;
    if (!pm.load(skin_path(name))) return QPixmap();
    return pm;
}

}  // namespace

QPixmap load_skin_picture(const QString& name) {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const bool twice = ratio >= 1.5;
    // Widgets made again and again (tree items, message boxes, bubbles) ask
    // for the same few files: each is read once and shared from then on.
    const QString key = (twice ? QStringLiteral("skin@2x:") : QStringLiteral("skin:")) + skin_path(name);
    QPixmap pm;
    if (QPixmapCache::find(key, &pm)) return pm;
    pm = read_skin_picture(name, twice);
    if (!pm.isNull()) QPixmapCache::insert(key, pm);
    return pm;
}

QSize logical_size(const QPixmap& pixmap) {
    if (pixmap.isNull()) return QSize(0, 0);
    return (QSizeF(pixmap.size()) / pixmap.devicePixelRatio()).toSize();
}

QSize frame_size(const QPixmap& strip, int frames) {
    const QSize whole = logical_size(strip);
    return QSize(frames > 0 ? whole.width() / frames : 0, whole.height());
}

void draw_frame(QPainter& painter, const QPixmap& strip, int frames, int frame, QPointF at) {
    if (strip.isNull() || frames <= 0) return;
    const QSize fs = frame_size(strip, frames);
    const qreal r = strip.devicePixelRatio();
    painter.drawPixmap(QRectF(at, QSizeF(fs)), strip, QRectF(frame * fs.width() * r, 0, fs.width() * r, fs.height() * r));
}

}  // namespace quen::ui
