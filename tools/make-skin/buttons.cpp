#include "buttons.h"

#include "paint_kit.h"

namespace quen::skin {

QImage title_bar_button(Glyph g, int frames, int w, int h, qreal scale, bool danger) {
    return strip(frames, w, h, scale, [&](QPainter& p, int f) {
        const QRectF r(0.5, 1, w - 1, h - 2);
        if (f == 1) rounded(p, r, 4, danger ? kCloseHover : QColor(255, 255, 255, 52));
        if (f == 2) rounded(p, r, 4, danger ? kCloseHover.darker(125) : QColor(0, 0, 0, 64));
        const QColor c = f == 3 ? QColor(255, 255, 255, 105) : QColor(Qt::white);
        const qreal gs = std::min(w, h) - 2;
        draw_glyph(p, g, QRectF((w - gs) / 2, (h - gs) / 2, gs, gs), c, 0.95);
    });
}

QImage toolbar_button(Glyph g, int size, qreal scale) {
    return strip(4, size, size, scale, [&](QPainter& p, int f) {
        const QRectF r(0, 0, size, size);
        QColor fill = kSurface, border = kLine, glyph = kAccent;
        if (f == 1) fill = kAccentLight, border = kAccent;
        if (f == 2) fill = kAccent, border = kAccentDark, glyph = Qt::white;
        if (f == 3) fill = kPanel, border = kLine, glyph = kDisabled;
        rounded(p, r.adjusted(0.5, 0.5, -0.5, -0.5), 8, fill, border, 1);
        const qreal gs = size * 0.58;
        draw_glyph(p, g, QRectF((size - gs) / 2, (size - gs) / 2, gs, gs), glyph, 0.95);
    });
}

QImage text_button(const QString& label, int w, int h, qreal scale, bool primary, Glyph* glyph) {
    return strip(4, w, h, scale, [&](QPainter& p, int f) {
        const QRectF r(0.5, 0.5, w - 1, h - 1);
        QColor fill, border, ink;
        if (primary) {
            fill = f == 1 ? kAccent.lighter(114) : f == 2 ? kAccentDark : f == 3 ? QColor(214, 220, 228) : kAccent;
            border = fill;
            ink = f == 3 ? QColor(150, 158, 168) : QColor(Qt::white);
        } else {
            fill = f == 1 ? kAccentLight : f == 2 ? QColor(205, 224, 240) : f == 3 ? kPanel : kSurface;
            border = f == 1 || f == 2 ? kAccent : QColor(196, 204, 214);
            ink = f == 3 ? kDisabled : kInk;
        }
        rounded(p, r, 5, fill, border, 1);
        QRectF tr(0, 0, w, h);
        if (glyph) {
            const QFontMetricsF fm(sans(13, true));
            const qreal gs = 16;
            const qreal total = gs + 5 + fm.horizontalAdvance(label);
            const qreal x = (w - total) / 2;
            draw_glyph(p, *glyph, QRectF(x, (h - gs) / 2, gs, gs), ink, 1.0);
            tr = QRectF(x + gs + 5, 0, w, h);
            text(p, tr, label, sans(13, true), ink, Qt::AlignLeft | Qt::AlignVCenter);
        } else {
            text(p, tr, label, sans(13, true), ink);
        }
    });
}

}  // namespace quen::skin
