#include "paint_kit.h"

#include <QFontDatabase>

namespace quen::skin {

QImage canvas(int w, int h, qreal scale, const QColor& fill) {
    QImage img(qRound(w * scale), qRound(h * scale), QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

void begin(QPainter& p, QImage& img, qreal scale) {
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
}

QImage strip(int frames, int w, int h, qreal scale, const std::function<void(QPainter&, int)>& fn) {
    QImage img = canvas(w * frames, h, scale);
    QPainter p;
    begin(p, img, scale);
    for (int f = 0; f < frames; ++f) {
        p.save();
        p.translate(f * w, 0);
        p.setClipRect(QRectF(0, 0, w, h));
        fn(p, f);
        p.restore();
    }
    p.end();
    return img;
}

namespace {
QString& family() {
    static QString f;
    return f;
}
}  // namespace

bool load_fonts() {
    const char* files[] = {"/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
                           "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"};
    for (const char* f : files) {
        const int id = QFontDatabase::addApplicationFont(f);
        if (id < 0) return false;
        family() = QFontDatabase::applicationFontFamilies(id).value(0);
    }
    return !family().isEmpty();
}

QFont sans(qreal pixel_size, bool bold) {
    QFont f(family());
    f.setPixelSize(qRound(pixel_size));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias | QFont::NoFontMerging));
    return f;
}

void rounded(QPainter& p, const QRectF& r, qreal radius, const QColor& fill, const QColor& border, qreal width) {
    p.save();
    p.setBrush(fill);
    if (border.alpha() == 0) {
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(r, radius, radius);
    } else {
        p.setPen(QPen(border, width));
        p.drawRoundedRect(r.adjusted(width / 2, width / 2, -width / 2, -width / 2), radius, radius);
    }
    p.restore();
}

void stroke(QPainter& p, const QPainterPath& path, const QColor& colour, qreal width) {
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.restore();
}

void text(QPainter& p, const QRectF& r, const QString& s, const QFont& f, const QColor& colour, int flags) {
    p.save();
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, flags, s);
    p.restore();
}

void draw_logo(QPainter& p, const QPointF& at, qreal w, const QColor& body, const QColor& arrow) {
    p.save();
    p.translate(at);
    p.scale(w / 24.0, w / 24.0);
    // A phone inside a circular arrow: what was lost on the phone comes back.
    QPainterPath arc;
    arc.arcMoveTo(QRectF(2, 2, 20, 20), 110);
    arc.arcTo(QRectF(2, 2, 20, 20), 110, 290);
    stroke(p, arc, arrow, 2.0);
    QPainterPath head;
    const QPointF tip = arc.pointAtPercent(1.0);
    head.moveTo(tip + QPointF(-3.6, -1.2));
    head.lineTo(tip + QPointF(1.6, -3.2));
    head.lineTo(tip + QPointF(0.9, 2.6));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(arrow);
    p.drawPath(head);
    rounded(p, QRectF(8.6, 6.6, 6.8, 10.8), 1.5, Qt::transparent, body, 1.6);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(QPointF(12, 15.2), 0.75, 0.75);
    p.restore();
}

}  // namespace quen::skin
