// The main window's pictures: both page backgrounds, the step banner, the
// title-bar and toolbar buttons, Refresh, the connect page's four
// illustrations (drawn over the exact part of the background they cover), and
// the program's icon.
#include <QFontMetricsF>

#include <cmath>

#include "buttons.h"
#include "connect_art.h"
#include "paint_kit.h"

namespace quen::skin {
namespace {

constexpr int kW = 984, kH = 674;
constexpr int kBand = 32;

void title_band(QPainter& p) {
    p.fillRect(QRectF(0, 0, kW, kBand), kAccent);
    draw_logo(p, QPointF(10, 4), 24, Qt::white, QColor(160, 214, 255));
    text(p, QRectF(42, 0, 500, kBand), "Quenfora Corvalin for Android", sans(14, true), Qt::white, Qt::AlignLeft | Qt::AlignVCenter);
}

void window_border(QPainter& p) {
    p.save();
    p.setPen(QPen(QColor(150, 162, 176), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, kBand - 0.5, kW - 1, kH - kBand));
    p.restore();
}

}  // namespace

QImage connect_background(qreal s) {
    QImage img = canvas(kW, kH, s, Qt::white);
    QPainter p;
    begin(p, img, s);
    title_band(p);
    // The tips panel: the failure line at (80, 540), the tips below it, and
    // Refresh at the bottom right.
    rounded(p, QRectF(48, 530, 916, 134), 8, kPanel, kLine, 1);
    draw_glyph(p, Glyph::Help, QRectF(59, 539, 16, 16), kWarn, 1.0);
    window_border(p);
    p.end();
    return img;
}

namespace {

QImage results_background(qreal s) {
    QImage img = canvas(kW, kH, s, Qt::white);
    QPainter p;
    begin(p, img, s);
    title_band(p);
    // Toolbar band over the list and the previews.
    p.fillRect(QRectF(223, kBand, kW - 223, 87), kPanel);
    p.fillRect(QRectF(223, 118, kW - 223, 1), kLine);
    // The tree's edge, the previews' edge.
    p.fillRect(QRectF(222, kBand, 1, 597), kLine);
    // Status band under everything: the progress bar lies at (20, 639).
    p.fillRect(QRectF(0, 629, kW, kH - 629), kPanel);
    p.fillRect(QRectF(0, 628, kW, 1), kLine);
    // A hint beside the toolbar.
    text(p, QRectF(612, 50, 350, 20), "Check what you want back,", sans(13, true), kInk, Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(612, 70, 350, 20), "then press Recover to save it.", sans(13), kMuted, Qt::AlignLeft | Qt::AlignVCenter);
    draw_glyph(p, Glyph::Recover, QRectF(578, 52, 26, 26), kAccent, 1.0);
    window_border(p);
    p.end();
    return img;
}

QImage step_banner(qreal s) {
    constexpr int w = 982, h = 110;
    QImage img = canvas(w, h, s, Qt::white);
    QPainter p;
    begin(p, img, s);
    const char* labels[] = {"Connect your phone", "Scan and preview", "Save to your computer"};
    const char* notes[] = {"USB cable, USB debugging on", "Contacts, messages, card files", "Check items, press Recover"};
    const qreal xs[] = {196, 491, 786};
    const qreal cy = 34;
    p.setPen(QPen(kLine, 2));
    p.drawLine(QPointF(xs[0] + 26, cy), QPointF(xs[1] - 26, cy));
    p.drawLine(QPointF(xs[1] + 26, cy), QPointF(xs[2] - 26, cy));
    for (int i = 0; i < 3; ++i) {
        const bool active = i == 0;
        p.setPen(active ? Qt::NoPen : QPen(QColor(196, 204, 214), 1.5));
        p.setBrush(active ? kAccent : kSurface);
        p.drawEllipse(QPointF(xs[i], cy), 18, 18);
        text(p, QRectF(xs[i] - 18, cy - 18, 36, 36), QString::number(i + 1), sans(17, true), active ? QColor(Qt::white) : kMuted);
        text(p, QRectF(xs[i] - 140, 58, 280, 22), labels[i], sans(15, true), active ? kInk : kMuted);
        text(p, QRectF(xs[i] - 140, 80, 280, 18), notes[i], sans(12), active ? kMuted : QColor(160, 168, 178));
    }
    p.fillRect(QRectF(0, h - 1, w, 1), kLine);
    p.end();
    return img;
}

// The program's icon for the desktop (menus, the task bar): the mark on a
// rounded square of the accent colour.
QImage program_icon(qreal s) {
    constexpr int w = 256;
    QImage img = canvas(w, w, s);
    QPainter p;
    begin(p, img, s);
    rounded(p, QRectF(8, 8, w - 16, w - 16), 52, kAccent);
    draw_logo(p, QPointF(40, 40), w - 80, Qt::white, QColor(160, 214, 255));
    p.end();
    return img;
}

QImage refresh_button(qreal s) {
    Glyph g = Glyph::Refresh;
    return text_button("Refresh", 96, 30, s, true, &g);
}

}  // namespace

std::vector<Picture> window_pictures() {
    return {
        {"mainbg1.png", connect_background},
        {"mainbg2.png", results_background},
        {"step1.png", step_banner},
        {"close.png", [](qreal s) { return title_bar_button(Glyph::Close, 4, 20, 22, s, true); }},
        {"min.png", [](qreal s) { return title_bar_button(Glyph::Minimise, 4, 20, 22, s); }},
        {"menu.png", [](qreal s) { return title_bar_button(Glyph::Menu, 3, 20, 22, s); }},
        {"btn_help.png", [](qreal s) { return title_bar_button(Glyph::Help, 4, 24, 22, s); }},
        {"btn_home.png", [](qreal s) { return title_bar_button(Glyph::Home, 4, 24, 22, s); }},
        {"back.png", [](qreal s) { return toolbar_button(Glyph::Back, 40, s); }},
        {"recover.png", [](qreal s) { return toolbar_button(Glyph::Recover, 40, s); }},
        {"pause.png", [](qreal s) { return toolbar_button(Glyph::Pause, 40, s); }},
        {"resume.png", [](qreal s) { return toolbar_button(Glyph::Resume, 40, s); }},
        {"stop_toolbar.png", [](qreal s) { return toolbar_button(Glyph::Stop, 40, s); }},
        {"refresh.png", refresh_button},
        {"loadfail.png", failed_connection_picture},
        {"loadwarn.png", device_problem_picture},
        {"rsa_tip.png", authorisation_picture},
        {"quenfora.png", program_icon},
    };
}

}  // namespace quen::skin
