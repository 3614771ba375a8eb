#include "glyphs.h"

#include <QPainterPath>

namespace quen::skin {

void draw_glyph(QPainter& p, Glyph g, const QRectF& box, const QColor& colour, qreal weight) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 24.0, box.height() / 24.0);
    const qreal lw = 2.0 * weight;
    QPen pen(colour, lw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    switch (g) {
        case Glyph::Close:
            path.moveTo(7, 7);
            path.lineTo(17, 17);
            path.moveTo(17, 7);
            path.lineTo(7, 17);
            break;
        case Glyph::Minimise:
            path.moveTo(7, 16);
            path.lineTo(17, 16);
            break;
        case Glyph::Menu:
            for (qreal y : {7.5, 12.0, 16.5}) {
                path.moveTo(6.5, y);
                path.lineTo(17.5, y);
            }
            break;
        case Glyph::Help: {
            path.addEllipse(QPointF(12, 12), 8.5, 8.5);
            QPainterPath q;
            q.moveTo(9.4, 9.8);
            q.cubicTo(9.4, 7.0, 14.8, 6.8, 14.8, 9.9);
            q.cubicTo(14.8, 12.0, 12.0, 12.0, 12.0, 14.2);
            path.addPath(q);
            p.drawPath(path);
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(QPointF(12, 17.1), 1.15 * weight, 1.15 * weight);
            p.restore();
            return;
        }
        case Glyph::Home:
            path.moveTo(4.5, 11.5);
            path.lineTo(12, 5);
            path.lineTo(19.5, 11.5);
            path.moveTo(7, 10);
            path.lineTo(7, 19);
            path.lineTo(17, 19);
            path.lineTo(17, 10);
            path.moveTo(10.5, 19);
            path.lineTo(10.5, 14.5);
            path.lineTo(13.5, 14.5);
            path.lineTo(13.5, 19);
            break;
        case Glyph::Back:
            path.moveTo(10, 6.5);
            path.lineTo(4.5, 12);
            path.lineTo(10, 17.5);
            path.moveTo(5, 12);
            path.lineTo(15, 12);
            path.cubicTo(18.5, 12, 20, 14, 20, 16.5);
            path.lineTo(20, 19);
            break;
        case Glyph::Recover:
            path.moveTo(12, 3.5);
            path.lineTo(12, 14);
            path.moveTo(7.5, 9.8);
            path.lineTo(12, 14.3);
            path.lineTo(16.5, 9.8);
            path.moveTo(4, 14.5);
            path.lineTo(4, 19.5);
            path.lineTo(20, 19.5);
            path.lineTo(20, 14.5);
            break;
        case Glyph::Pause:
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawRoundedRect(QRectF(7, 5.5, 3.6, 13), 1.2, 1.2);
            p.drawRoundedRect(QRectF(13.4, 5.5, 3.6, 13), 1.2, 1.2);
            p.restore();
            return;
        case Glyph::Resume: {
            QPainterPath tri;
            tri.moveTo(8.5, 5.5);
            tri.lineTo(18.5, 12);
            tri.lineTo(8.5, 18.5);
            tri.closeSubpath();
            p.setPen(QPen(colour, 1.6 * weight, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(colour);
            p.drawPath(tri);
            p.restore();
            return;
        }
        case Glyph::Stop:
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawRoundedRect(QRectF(6.5, 6.5, 11, 11), 2, 2);
            p.restore();
            return;
        case Glyph::Refresh: {
            path.arcMoveTo(QRectF(5, 5, 14, 14), 60);
            path.arcTo(QRectF(5, 5, 14, 14), 60, 280);
            p.drawPath(path);
            QPainterPath head;
            head.moveTo(19.6, 3.6);
            head.lineTo(19.6, 9.4);
            head.lineTo(13.9, 9.4);
            head.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawPath(head);
            p.restore();
            return;
        }
        case Glyph::Phone:
            path.addRoundedRect(QRectF(6.5, 2.5, 11, 19), 2.3, 2.3);
            path.moveTo(10.5, 5.2);
            path.lineTo(13.5, 5.2);
            p.drawPath(path);
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(QPointF(12, 18.3), 1.0, 1.0);
            p.restore();
            return;
        case Glyph::Person:
            path.addEllipse(QPointF(12, 8.5), 4, 4);
            path.moveTo(4.5, 20);
            path.cubicTo(4.5, 14.8, 8, 13.5, 12, 13.5);
            path.cubicTo(16, 13.5, 19.5, 14.8, 19.5, 20);
            break;
        case Glyph::Chat:
            path.moveTo(5.5, 5);
            path.lineTo(18.5, 5);
            path.quadTo(20.5, 5, 20.5, 7);
            path.lineTo(20.5, 14);
            path.quadTo(20.5, 16, 18.5, 16);
            path.lineTo(10.5, 16);
            path.lineTo(6.5, 19.8);
            path.lineTo(6.5, 16);
            path.lineTo(5.5, 16);
            path.quadTo(3.5, 16, 3.5, 14);
            path.lineTo(3.5, 7);
            path.quadTo(3.5, 5, 5.5, 5);
            path.moveTo(8, 9.3);
            path.lineTo(16, 9.3);
            path.moveTo(8, 12.3);
            path.lineTo(13.5, 12.3);
            break;
        case Glyph::Card:
            path.moveTo(9.5, 3.5);
            path.lineTo(17, 3.5);
            path.quadTo(19, 3.5, 19, 5.5);
            path.lineTo(19, 18.5);
            path.quadTo(19, 20.5, 17, 20.5);
            path.lineTo(7, 20.5);
            path.quadTo(5, 20.5, 5, 18.5);
            path.lineTo(5, 8);
            path.closeSubpath();
            for (qreal x : {10.0, 13.0, 16.0}) {
                path.moveTo(x, 6.5);
                path.lineTo(x, 9.5);
            }
            break;
        case Glyph::Folder:
            path.moveTo(3.5, 7);
            path.quadTo(3.5, 5, 5.5, 5);
            path.lineTo(9.5, 5);
            path.lineTo(11.5, 7.2);
            path.lineTo(18.5, 7.2);
            path.quadTo(20.5, 7.2, 20.5, 9.2);
            path.lineTo(20.5, 17);
            path.quadTo(20.5, 19, 18.5, 19);
            path.lineTo(5.5, 19);
            path.quadTo(3.5, 19, 3.5, 17);
            path.closeSubpath();
            path.moveTo(3.5, 10);
            path.lineTo(20.5, 10);
            break;
        case Glyph::File:
            path.moveTo(6, 4);
            path.lineTo(13.5, 4);
            path.lineTo(18.5, 9);
            path.lineTo(18.5, 20);
            path.lineTo(6, 20);
            path.closeSubpath();
            path.moveTo(13.5, 4);
            path.lineTo(13.5, 9);
            path.lineTo(18.5, 9);
            break;
        case Glyph::Trash:
            path.moveTo(4.5, 7);
            path.lineTo(19.5, 7);
            path.moveTo(9.5, 7);
            path.lineTo(9.5, 4.5);
            path.lineTo(14.5, 4.5);
            path.lineTo(14.5, 7);
            path.moveTo(6.5, 7);
            path.lineTo(7.5, 20);
            path.lineTo(16.5, 20);
            path.lineTo(17.5, 7);
            path.moveTo(10.3, 10.5);
            path.lineTo(10.5, 16.5);
            path.moveTo(13.7, 10.5);
            path.lineTo(13.5, 16.5);
            break;
    }
    p.drawPath(path);
    p.restore();
}

}  // namespace quen::skin
