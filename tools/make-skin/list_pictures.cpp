// The pictures of the result tree, the checked list and its header, and the
// preview panels: item icons, check boxes, marks, the portrait and the nine
// pieces of each chat balloon.
#include "glyphs.h"
#include "paint_kit.h"

namespace quen::skin {
namespace {

QImage icon(Glyph g, int size, qreal s, const QColor& c, qreal weight = 1.0) {
    QImage img = canvas(size, size, s);
    QPainter p;
    begin(p, img, s);
    draw_glyph(p, g, QRectF(0, 0, size, size), c, weight);
    p.end();
    return img;
}

// One check box of 14 x 14.
void check_box(QPainter& p, bool checked, bool hover, bool muted) {
    const QRectF r(0.75, 0.75, 12.5, 12.5);
    if (checked) {
        const QColor fill = muted ? kDisabled : hover ? kAccent.lighter(115) : kAccent;
        rounded(p, r, 3, fill, fill, 1.5);
        QPainterPath tick;
        tick.moveTo(3.4, 7.2);
        tick.lineTo(5.9, 9.7);
        tick.lineTo(10.6, 4.3);
        stroke(p, tick, Qt::white, 1.9);
    } else {
        rounded(p, r, 3, Qt::white, muted ? kDisabled : hover ? kAccent : QColor(140, 150, 163), 1.5);
    }
}

QImage tree_checks(qreal s) {
    return strip(5, 14, 14, s, [](QPainter& p, int f) {
        if (f == 2) {  // part-checked: not used by the tree, kept for completeness
            rounded(p, QRectF(0.75, 0.75, 12.5, 12.5), 3, Qt::white, kAccent, 1.5);
            rounded(p, QRectF(3.5, 3.5, 7, 7), 1.5, kAccent);
            return;
        }
        check_box(p, f >= 3, f == 1, f == 4);
    });
}

QImage list_checks(qreal s) {
    return strip(4, 14, 14, s, [](QPainter& p, int f) { check_box(p, f >= 2, f == 1 || f == 3, false); });
}

QImage expander(bool opened, qreal s) {
    QImage img = canvas(11, 11, s, Qt::white);
    QPainter p;
    begin(p, img, s);
    QPainterPath chev;
    if (opened) {
        chev.moveTo(2.5, 4);
        chev.lineTo(5.5, 7);
        chev.lineTo(8.5, 4);
    } else {
        chev.moveTo(4, 2.5);
        chev.lineTo(7, 5.5);
        chev.lineTo(4, 8.5);
    }
    stroke(p, chev, kMuted, 1.6);
    p.end();
    return img;
}

QImage sort_arrow(bool up, qreal s) {
    QImage img = canvas(9, 6, s);
    QPainter p;
    begin(p, img, s);
    QPainterPath tri;
    if (up) {
        tri.moveTo(4.5, 0.5);
        tri.lineTo(8.5, 5.5);
        tri.lineTo(0.5, 5.5);
    } else {
        tri.moveTo(0.5, 0.5);
        tri.lineTo(8.5, 0.5);
        tri.lineTo(4.5, 5.5);
    }
    tri.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawPath(tri);
    p.end();
    return img;
}

QImage header_background(qreal s) {
    QImage img = canvas(4, 30, s, Qt::white);
    QPainter p;
    begin(p, img, s);
    QLinearGradient g(0, 0, 0, 30);
    g.setColorAt(0, QColor(251, 252, 254));
    g.setColorAt(1, QColor(236, 240, 245));
    p.fillRect(QRectF(0, 0, 4, 30), g);
    p.fillRect(QRectF(0, 29, 4, 1), kLine);
    p.end();
    return img;
}

QImage deleted_mark(qreal s) {
    QImage img = canvas(16, 16, s);
    QPainter p;
    begin(p, img, s);
    rounded(p, QRectF(0, 0, 16, 16), 4, QColor(255, 232, 230));
    draw_glyph(p, Glyph::Trash, QRectF(1, 1, 14, 14), QColor(220, 30, 30), 0.95);
    p.end();
    return img;
}

QImage portrait(qreal s) {
    QImage img = canvas(62, 62, s);
    QPainter p;
    begin(p, img, s);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccentLight);
    p.drawEllipse(QRectF(0, 0, 62, 62));
    p.setClipPath([] {
        QPainterPath c;
        c.addEllipse(QRectF(0, 0, 62, 62));
        return c;
    }());
    p.setBrush(QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 170));
    p.drawEllipse(QPointF(31, 24), 11, 11);
    p.drawEllipse(QRectF(11, 39, 40, 36));
    p.end();
    return img;
}

// A whole chat balloon of 100 x 80; the nine pieces are cut out of it, so
// corners and edges always meet. Received balloons point left, sent right.
QImage balloon(bool sent, qreal s) {
    constexpr int w = 100, h = 80;
    QImage img = canvas(w, h, s, kBubblePanel);
    QPainter p;
    begin(p, img, s);
    const QColor fill = sent ? kSent : kReceived;
    const QRectF body = sent ? QRectF(2, 4, w - 10, h - 8) : QRectF(8, 4, w - 10, h - 8);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(body, 8, 8);
    QPainterPath tail;
    if (sent) {
        tail.moveTo(w - 10, 9);
        tail.quadTo(w - 5, 9, w - 1, 5.5);
        tail.quadTo(w - 4, 13, w - 8, 17);
    } else {
        tail.moveTo(10, 9);
        tail.quadTo(5, 9, 1, 5.5);
        tail.quadTo(4, 13, 8, 17);
    }
    tail.closeSubpath();
    p.drawPath(tail);
    p.end();
    return img;
}

struct Piece {
    const char* name;
    int x, y, w, h;  // in the 100 x 80 balloon; negative x or y from its right or bottom
};

std::vector<Picture> balloon_pieces(bool sent) {
    const std::vector<Piece> in = {
        {"lefttop", 0, 0, 18, 15},      {"leftbottom", 0, -18, 18, 18}, {"righttop", -12, 0, 12, 15},
        {"rightbottom", -12, -18, 12, 18}, {"topline", 50, 0, 1, 15},  {"bottomline", 50, -18, 1, 18},
        {"leftline", 0, 40, 18, 1},     {"rightline", -12, 40, 12, 1},
    };
    const std::vector<Piece> out = {
        {"lefttop", 0, 0, 12, 18},      {"leftbottom", 0, -18, 12, 18}, {"righttop", -18, 0, 18, 18},
        {"rightbottom", -18, -18, 18, 18}, {"topline", 50, 0, 1, 18},  {"bottomline", 50, -18, 1, 18},
        {"leftline", 0, 40, 12, 1},     {"rightline", -18, 40, 18, 1},
    };
    std::vector<Picture> pictures;
    for (const Piece& piece : sent ? out : in) {
        pictures.push_back({QString(sent ? "out_" : "in_") + piece.name + ".bmp", [piece, sent](qreal s) {
                                const QImage whole = balloon(sent, s);
                                const int x = piece.x < 0 ? 100 + piece.x : piece.x;
                                const int y = piece.y < 0 ? 80 + piece.y : piece.y;
                                return whole.copy(qRound(x * s), qRound(y * s), qRound(piece.w * s), qRound(piece.h * s))
                                    .convertToFormat(QImage::Format_RGB32);
                            }});
    }
    return pictures;
}

}  // namespace

std::vector<Picture> list_pictures() {
    std::vector<Picture> pictures = {
        {"treeroot.png", [](qreal s) { return icon(Glyph::Phone, 18, s, kAccent); }},
        {"contacts.png", [](qreal s) { return icon(Glyph::Person, 18, s, kAccent); }},
        {"message.png", [](qreal s) { return icon(Glyph::Chat, 18, s, kAccent); }},
        {"disk.png", [](qreal s) { return icon(Glyph::Card, 18, s, kAccent); }},
        {"folder.png", [](qreal s) { return icon(Glyph::Folder, 18, s, QColor(214, 150, 30)); }},
        {"file.png", [](qreal s) { return icon(Glyph::File, 16, s, kMuted, 0.9); }},
        {"deleted.png", deleted_mark},
        {"checkboxes.png", tree_checks},
        {"checkbox.png", list_checks},
        {"tree_opened.bmp", [](qreal s) { return expander(true, s).convertToFormat(QImage::Format_RGB32); }},
        {"tree_closed.bmp", [](qreal s) { return expander(false, s).convertToFormat(QImage::Format_RGB32); }},
        {"inc.png", [](qreal s) { return sort_arrow(true, s); }},
        {"dec.png", [](qreal s) { return sort_arrow(false, s); }},
        {"list_hearder.bmp", [](qreal s) { return header_background(s).convertToFormat(QImage::Format_RGB32); }},
        {"contactperson.png", portrait},
    };
    for (bool sent : {false, true})
        for (Picture& piece : balloon_pieces(sent)) pictures.push_back(std::move(piece));
    return pictures;
}

}  // namespace quen::skin
