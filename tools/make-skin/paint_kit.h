#pragma once
// What every picture of the skin is painted with: canvases at a scale (1 for
// the plain pictures, 2 for "@2x"), the fonts, the colours and a few shapes.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <functional>
#include <vector>

#include "ui/skin/skin_palette.h"

namespace quen::skin {

using namespace quen::ui::skin;

// Colours of the pictures beyond the shared palette.
inline const QColor kWarn{232, 142, 22};
inline const QColor kError{208, 58, 48};
inline const QColor kSuccess{52, 166, 106};
inline const QColor kCloseHover{224, 67, 67};
inline const QColor kBubblePanel{244, 247, 250};
inline const QColor kReceived{216, 216, 216};
inline const QColor kSent{136, 193, 33};

// One picture: its file name and how to paint it at a scale.
struct Picture {
    QString name;  // "close.png"
    std::function<QImage(qreal scale)> paint;
};

// Pictures and the animation, by group.
std::vector<Picture> window_pictures();   // main window: backgrounds, top bar, toolbar, connect page
std::vector<Picture> dialog_pictures();   // message box, about box, progress dialog
std::vector<Picture> list_pictures();     // tree, list, header, previews, bubbles

// A transparent (or filled) canvas of w x h logical pixels at `scale`, and a
// painter on it with antialiasing and the scale applied.
QImage canvas(int w, int h, qreal scale, const QColor& fill = Qt::transparent);
void begin(QPainter& p, QImage& img, qreal scale);

// A strip of `frames` frames of w x h, each painted by fn(p, frame) in the
// frame's own coordinates.
QImage strip(int frames, int w, int h, qreal scale, const std::function<void(QPainter&, int)>& fn);

// The fonts of the pictures: Liberation Sans from its own files, so the
// pictures do not depend on the fonts a machine offers.
QFont sans(qreal pixel_size, bool bold = false);
bool load_fonts();

// Shapes.
void rounded(QPainter& p, const QRectF& r, qreal radius, const QColor& fill, const QColor& border = Qt::transparent, qreal width = 1);
void stroke(QPainter& p, const QPainterPath& path, const QColor& colour, qreal width);
void text(QPainter& p, const QRectF& r, const QString& s, const QFont& f, const QColor& colour, int flags = Qt::AlignCenter);

// The program's mark: a phone with a circular arrow, in a w x w square.
void draw_logo(QPainter& p, const QPointF& at, qreal w, const QColor& body, const QColor& arrow);

}  // namespace quen::skin
