#include "ui/skin/drawing_helpers.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace quen::ui {

QFont get_font(const QString& face, int height, int weight) {
    QFont f(face);
    f.setPixelSize(std::max(1, height));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    return f;
}

void gradient_fillrect(QPainter& painter, const QRect& rect, const QColor& start, const QColor& end, int mode) {
    if (rect.isEmpty()) return;
    QLinearGradient g(rect.topLeft(), mode == 0 ? QPointF(rect.right() + 1, rect.top()) : QPointF(rect.left(), rect.bottom() + 1));
    g.setColorAt(0, start);
    g.setColorAt(1, end);
    painter.fillRect(rect, g);
}

}  // namespace quen::ui
