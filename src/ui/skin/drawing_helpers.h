#pragma once
// Two small drawing services the controls share: a font by face, height and
// weight, and a two-colour blend.
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace quen::ui {

// A font of `face`, `height` pixels high, weight on the 100-900 scale (400
// normal, 700 bold).
QFont get_font(const QString& face, int height, int weight);

// Fills `rect` with a blend from `start` to `end`: left to right with mode 0,
// top to bottom with any other mode.
void gradient_fillrect(QPainter& painter, const QRect& rect, const QColor& start, const QColor& end, int mode);

}  // namespace quen::ui
