// The dialogs' pictures: the message box with its icons and buttons, the about
// box, and the recovery progress dialog with its two buttons.
#include "buttons.h"
#include "paint_kit.h"

namespace quen::skin {
namespace {

constexpr int kBand = 32;

QImage dialog_surface(int w, int h, qreal s, QPainter& p) {
    QImage img = canvas(w, h, s, Qt::white);
    begin(p, img, s);
    p.fillRect(QRectF(0, 0, w, kBand), kAccent);
    draw_logo(p, QPointF(10, 5), 22, Qt::white, QColor(160, 214, 255));
    return img;
}

void dialog_border(QPainter& p, int w, int h) {
    p.setPen(QPen(QColor(150, 162, 176), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, kBand - 0.5, w - 1, h - kBand));
}

QImage message_box(qreal s) {
    constexpr int w = 420, h = 190;
    QPainter p;
    QImage img = dialog_surface(w, h, s, p);
    p.fillRect(QRectF(0, 132, w, h - 132), kPanel);
    p.fillRect(QRectF(0, 132, w, 1), kLine);
    dialog_border(p, w, h);
    p.end();
    return img;
}

QImage about_box(qreal s) {
    constexpr int w = 490, h = 330;
    QPainter p;
    QImage img = dialog_surface(w, h, s, p);
    rounded(p, QRectF(40, 50, 60, 60), 14, kAccentLight);
    draw_logo(p, QPointF(46, 56), 48, kAccent, kAccent.lighter(135));
    text(p, QRectF(116, 54, 360, 30), "Quenfora Corvalin", sans(24, true), kInk, Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(117, 84, 360, 20), "for Android", sans(15), kMuted, Qt::AlignLeft | Qt::AlignVCenter);
    p.fillRect(QRectF(40, 172, w - 80, 1), kLine);
    dialog_border(p, w, h);
    p.end();
    return img;
}

QImage progress_box(qreal s) {
    constexpr int w = 370, h = 245;
    QPainter p;
    QImage img = dialog_surface(w, h, s, p);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccentLight);
    p.drawEllipse(QPointF(48, 82), 28, 28);
    draw_glyph(p, Glyph::Recover, QRectF(32, 66, 32, 32), kAccent, 1.0);
    text(p, QRectF(90, 60, 260, 22), "Saving what you checked", sans(16, true), kInk, Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(90, 84, 260, 18), "into the folder you chose.", sans(13), kMuted, Qt::AlignLeft | Qt::AlignVCenter);
    dialog_border(p, w, h);
    p.end();
    return img;
}

// A message box icon: a coloured badge with a white mark.
QImage badge(int kind, qreal s) {
    QImage img = canvas(40, 40, s);
    QPainter p;
    begin(p, img, s);
    p.setPen(Qt::NoPen);
    if (kind == 0) {
        QPainterPath tri;
        tri.moveTo(20, 3);
        tri.lineTo(38, 35);
        tri.lineTo(2, 35);
        tri.closeSubpath();
        p.setPen(QPen(kWarn, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(kWarn);
        p.drawPath(tri);
        p.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(20, 13), QPointF(20, 24));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(20, 30), 2.2, 2.2);
    } else {
        const QColor c = kind == 1 ? kError : kind == 2 ? kAccent : kSuccess;
        p.setBrush(c);
        p.drawEllipse(QPointF(20, 20), 18, 18);
        QPainterPath mark;
        if (kind == 1) {
            mark.moveTo(13.5, 13.5);
            mark.lineTo(26.5, 26.5);
            mark.moveTo(26.5, 13.5);
            mark.lineTo(13.5, 26.5);
        } else if (kind == 2) {
            mark.moveTo(20, 18);
            mark.lineTo(20, 28.5);
        } else {
            mark.moveTo(12.5, 20.5);
            mark.lineTo(17.8, 25.8);
            mark.lineTo(27.5, 14.5);
        }
        stroke(p, mark, Qt::white, 3.6);
        if (kind == 2) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(20, 12.5), 2.3, 2.3);
        }
    }
    p.end();
    return img;
}

}  // namespace

std::vector<Picture> dialog_pictures() {
    return {
        {"msgbox.png", message_box},
        {"aboutbk.png", about_box},
        {"regbox.png", progress_box},
        {"warn.png", [](qreal s) { return badge(0, s); }},
        {"error.png", [](qreal s) { return badge(1, s); }},
        {"info.png", [](qreal s) { return badge(2, s); }},
        {"right.png", [](qreal s) { return badge(3, s); }},
        {"ok.png", [](qreal s) { return text_button("OK", 76, 28, s, true); }},
        {"yes.png", [](qreal s) { return text_button("Yes", 76, 28, s, true); }},
        {"no.png", [](qreal s) { return text_button("No", 76, 28, s, false); }},
        {"cancel.png", [](qreal s) { return text_button("Cancel", 76, 28, s, false); }},
        {"stop.png", [](qreal s) { return text_button("Stop", 76, 28, s, false); }},
        {"close_dlg.png", [](qreal s) { return text_button("Close", 76, 28, s, true); }},
    };
}

}  // namespace quen::skin
