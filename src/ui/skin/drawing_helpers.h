#pragma once
// Three small drawing services the controls share: a font by face, height and
// weight; the place of a picture inside a box; a two-colour blend.
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace quen::ui {

// A font of `face`, `height` pixels high, weight on the 100-900 scale (400
// normal, 700 bold).
QFont get_font(const QString& face, int height, int weight);

// Where a picture of pw x ph lies inside `box`: scaled down to fit (never up),
// its proportions kept, centred. A 0 x 0 picture gives an empty rectangle at
// the box's centre.
QRect calc_subrect(const QRect& box, int pw, int ph);

// Fills `rect` with a blend from `start` to `end`: left to right with mode 0,
// top to bottom with any other mode.
void gradient_fillrect(QPainter& painter, const QRect& rect, const QColor& start, const QColor& end, int mode);

}  // namespace quen::ui
