#include "connect_art.h"

#include <QPainterPath>

#include "glyphs.h"
#include "paint_kit.h"

namespace quen::skin {
namespace {

constexpr int kPicW = 785, kPicH = 331;
constexpr int kPicX = 120, kPicY = 230;
const QColor kDevice{58, 68, 82};
const QColor kCable{128, 138, 150};

QImage picture_base(qreal s) {
    const QImage page = connect_background(s);
    return page.copy(qRound(kPicX * s), qRound(kPicY * s), qRound(kPicW * s), qRound(kPicH * s));
}

// The phone with a few list rows on its screen.
void phone(QPainter& p, const QRectF& body, bool dim) {
    rounded(p, body, 16, Qt::white, kDevice, 3);
    const QRectF screen = body.adjusted(9, 22, -9, -26);
    rounded(p, screen, 4, dim ? QColor(233, 236, 240) : kAccentLight);
    p.setPen(Qt::NoPen);
    p.setBrush(kDevice);
    p.drawEllipse(QPointF(body.center().x(), body.bottom() - 13), 4.5, 4.5);
    p.drawRoundedRect(QRectF(body.center().x() - 12, body.top() + 9, 24, 4), 2, 2);
    if (dim) return;
    for (int i = 0; i < 4; ++i) {
        const qreal y = screen.top() + 14 + i * 30;
        p.setBrush(QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 90));
        p.drawEllipse(QPointF(screen.left() + 16, y + 6), 7, 7);
        p.setBrush(QColor(255, 255, 255, 230));
        p.drawRoundedRect(QRectF(screen.left() + 30, y, screen.width() - 44, 5), 2.5, 2.5);
        p.drawRoundedRect(QRectF(screen.left() + 30, y + 9, (screen.width() - 44) * 0.6, 4), 2, 2);
    }
}

void laptop(QPainter& p, const QRectF& screen) {
    rounded(p, screen, 8, Qt::white, kDevice, 3);
    rounded(p, screen.adjusted(9, 9, -9, -9), 3, kPanel);
    draw_logo(p, QPointF(screen.center().x() - 18, screen.center().y() - 18), 36, kAccent, kAccent.lighter(140));
    QPainterPath base;
    base.moveTo(screen.left() - 18, screen.bottom() + 1);
    base.lineTo(screen.right() + 18, screen.bottom() + 1);
    base.lineTo(screen.right() + 8, screen.bottom() + 15);
    base.lineTo(screen.left() - 8, screen.bottom() + 15);
    base.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kDevice);
    p.drawPath(base);
}

QPainterPath cable_path(const QPointF& from, const QPointF& to) {
    const QPointF mid((from.x() + to.x()) / 2, 226);
    QPainterPath c;
    c.moveTo(from);
    c.cubicTo(from + QPointF(0, 34), QPointF(from.x() + 40, mid.y()), mid);
    c.cubicTo(QPointF(to.x() - 50, mid.y()), QPointF(to.x() - 34, to.y()), to);
    return c;
}

void caption(QPainter& p, const QString& title, const QString& note) {
    text(p, QRectF(0, 250, kPicW, 22), title, sans(17, true), kInk);
    text(p, QRectF(0, 274, kPicW, 18), note, sans(13), kMuted);
}

// The scene every state shares, centred: the phone left, the computer right.
const QRectF kPhone(196, 8, 100, 182);
const QRectF kLaptop(446, 58, 164, 104);
const QPointF kPlug(246, 190);
const QPointF kPort(428, 163);

}  // namespace

std::vector<GifFrame> loading_frames(qreal s) {
    constexpr int kFrames = 12;
    const QImage base = picture_base(s);
    std::vector<GifFrame> frames;
    const QPainterPath cable = cable_path(kPlug, kPort);
    for (int f = 0; f < kFrames; ++f) {
        QImage img = base.copy();
        QPainter p;
        begin(p, img, s);
        phone(p, kPhone, false);
        laptop(p, kLaptop);
        stroke(p, cable, kCable, 4);
        // Three dots travel from the phone to the computer.
        for (int k = 0; k < 3; ++k) {
            const qreal t = std::fmod((f + k * 4.0) / kFrames, 1.0);
            const QPointF at = cable.pointAtPercent(0.08 + 0.84 * t);
            const qreal fade = std::sin(t * 3.14159265);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 80 + static_cast<int>(175 * fade)));
            p.drawEllipse(at, 6.5, 6.5);
        }
        caption(p, "Looking for your phone\u2026", "Keep it connected and unlocked while the program reads it.");
        p.end();
        frames.push_back(GifFrame{img.convertToFormat(QImage::Format_RGB32), 8});
    }
    return frames;
}

QImage failed_connection_picture(qreal s) {
    QImage img = picture_base(s);
    QPainter p;
    begin(p, img, s);
    phone(p, kPhone, true);
    laptop(p, kLaptop);
    const QPainterPath cable = cable_path(kPlug, kPort);
    // The cable broken in the middle.
    QPainterPath first, second;
    first.moveTo(kPlug);
    second.moveTo(cable.pointAtPercent(0.62));
    for (int i = 1; i <= 40; ++i) first.lineTo(cable.pointAtPercent(0.42 * i / 40));
    for (int i = 1; i <= 40; ++i) second.lineTo(cable.pointAtPercent(0.62 + 0.38 * i / 40));
    stroke(p, first, kCable, 4);
    stroke(p, second, kCable, 4);
    const QPointF mid = cable.pointAtPercent(0.68);
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(kError);
    p.drawEllipse(mid, 17, 17);
    draw_glyph(p, Glyph::Close, QRectF(mid.x() - 14, mid.y() - 14, 28, 28), Qt::white, 1.25);
    caption(p, "No phone found", "Connect the phone with a USB cable, turn on USB debugging, then press Refresh.");
    p.end();
    return img;
}

QImage device_problem_picture(qreal s) {
    QImage img = picture_base(s);
    QPainter p;
    begin(p, img, s);
    phone(p, kPhone, true);
    laptop(p, kLaptop);
    const QPainterPath cable = cable_path(kPlug, kPort);
    stroke(p, cable, kCable, 4);
    // The phone is there but cannot be used: a warning on the cable. The
    // window writes what is wrong and the fix below it.
    const QPointF mid = cable.pointAtPercent(0.68);
    QPainterPath tri;
    tri.moveTo(mid.x(), mid.y() - 19);
    tri.lineTo(mid.x() + 19, mid.y() + 14);
    tri.lineTo(mid.x() - 19, mid.y() + 14);
    tri.closeSubpath();
    p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(tri);
    p.setPen(QPen(kWarn, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kWarn);
    p.drawPath(tri);
    p.setPen(QPen(Qt::white, 3.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(mid.x(), mid.y() - 8), QPointF(mid.x(), mid.y() + 2));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(mid.x(), mid.y() + 8), 2.1, 2.1);
    p.end();
    return img;
}

QImage authorisation_picture(qreal s) {
    QImage img = picture_base(s);
    QPainter p;
    begin(p, img, s);
    // A bigger phone, its screen dimmed behind the system's prompt.
    const QRectF body(290, 22, 184, 258);
    rounded(p, body, 20, Qt::white, kDevice, 3);
    const QRectF screen = body.adjusted(10, 26, -10, -30);
    rounded(p, screen, 4, QColor(92, 104, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(kDevice);
    p.drawEllipse(QPointF(body.center().x(), body.bottom() - 15), 5, 5);
    p.drawRoundedRect(QRectF(body.center().x() - 14, body.top() + 11, 28, 4), 2, 2);

    const QRectF card = screen.adjusted(8, 30, -8, -34);
    rounded(p, card, 6, Qt::white);
    const qreal x = card.left() + 10;
    const qreal w = card.width() - 20;
    text(p, QRectF(x, card.top() + 9, w, 16), "Allow USB debugging?", sans(11, true), kInk, Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(x, card.top() + 30, w, 12), "The computer's RSA key", sans(9), kMuted, Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(x, card.top() + 42, w, 12), "fingerprint is:", sans(9), kMuted, Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(x, card.top() + 55, w, 12), "4A:9E:27:C1:5B:D0:88:F3", sans(9), kInk, Qt::AlignLeft | Qt::AlignVCenter);
    // "Always allow" ticked.
    rounded(p, QRectF(x, card.top() + 75, 11, 11), 2, kAccent);
    QPainterPath tick;
    tick.moveTo(x + 2.5, card.top() + 80.5);
    tick.lineTo(x + 4.8, card.top() + 83);
    tick.lineTo(x + 8.8, card.top() + 78);
    stroke(p, tick, Qt::white, 1.6);
    text(p, QRectF(x + 16, card.top() + 73, w - 16, 15), "Always allow from this", sans(9), kInk, Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(x + 16, card.top() + 85, w - 16, 13), "computer", sans(9), kInk, Qt::AlignLeft | Qt::AlignVCenter);
    // The two answers; "Allow" is the one to press.
    const QRectF cancel(x + 4, card.bottom() - 26, 52, 18);
    const QRectF allow(card.right() - 66, card.bottom() - 26, 56, 18);
    text(p, cancel, "CANCEL", sans(10, true), kMuted);
    rounded(p, allow, 4, kAccent);
    text(p, allow, "ALLOW", sans(10, true), Qt::white);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(kSuccess.red(), kSuccess.green(), kSuccess.blue(), 200), 2.5));
    p.drawEllipse(allow.center(), 36, 17);
    // The computer it is plugged into.
    const QRectF screen2(570, 92, 150, 98);
    laptop(p, screen2);
    QPainterPath cable;
    cable.moveTo(body.center().x(), body.bottom());
    cable.cubicTo(QPointF(body.center().x(), body.bottom() + 16), QPointF(528, 294), QPointF(552, 191));
    stroke(p, cable, kCable, 4);
    p.end();
    return img;
}

}  // namespace quen::skin
