#pragma once
// Line icons on a 24-unit grid, drawn into any square.
#include <QColor>
#include <QPainter>
#include <QRectF>

namespace quen::skin {

enum class Glyph {
    Close, Minimise, Menu, Help, Home,
    Back, Recover, Pause, Resume, Stop, Refresh,
    Phone, Person, Chat, Card, Folder, File, Trash,
};

// Draws `g` into `box` (a square) in `colour`; `weight` scales the line width
// (1 = 2 units of the grid).
void draw_glyph(QPainter& p, Glyph g, const QRectF& box, const QColor& colour, qreal weight = 1.0);

}  // namespace quen::skin
