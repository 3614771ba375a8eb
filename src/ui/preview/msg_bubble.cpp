#include "ui/preview/msg_bubble.h"

#include <QFontMetrics>
#include <QPainter>
#include <QFontInfo>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>

#include "ui/skin/font_pool.h"
#include "ui/skin/skin_folder.h"

namespace quen::ui {
namespace {

constexpr int kWrapWidth = 160;

// A rectangle from its left, top, right and bottom, right and bottom outside it.
QRect ltrb(int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); }

void draw(QPainter& p, const QString& name, const QRect& target) {
    const QPixmap pm = load_skin_picture(name);
    if (pm.isNull() || target.isEmpty()) return;
    p.drawPixmap(QRectF(target), pm, QRectF(pm.rect()));
}

// The body laid out as the bubble draws it: word-wrapped (a word wider than
// the box is broken), line breaks kept, every line one pitch below the last.
// The pitch is the tallest line's (a line that falls back to a CJK or emoji
// face is taller) and never under 1.25 times the font's size: the Tahoma
// stand-in reports a line spacing smaller than its own glyphs, and
// QPainter::drawText spaced by it packs the lines over each other.
struct BodyLayout {
    std::unique_ptr<QTextLayout> layout;
    int height = 0;
};

BodyLayout lay_out_body(const QString& body, const QFont& font, int width) {
    BodyLayout out;
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar::LineSeparator).replace(QChar('\n'), QChar::LineSeparator);
    out.layout = std::make_unique<QTextLayout>(text, font);
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    out.layout->setTextOption(option);
    qreal pitch = std::ceil(QFontInfo(font).pixelSize() * 1.25);
    out.layout->beginLayout();
    for (QTextLine line = out.layout->createLine(); line.isValid(); line = out.layout->createLine()) {
        line.setLineWidth(std::max(width, 1));
        pitch = std::max(pitch, std::ceil(line.ascent() + line.descent()));
    }
    out.layout->endLayout();
    for (int i = 0; i < out.layout->lineCount(); ++i) out.layout->lineAt(i).setPosition(QPointF(0, i * pitch));
    out.height = static_cast<int>(out.layout->lineCount() * pitch);
    return out;
}

}  // namespace

std::vector<int> bubble_line_tops(const QString& body, int width) {
    const BodyLayout laid = lay_out_body(body, pool_font(256), width);
    std::vector<int> tops;
    for (int i = 0; i < laid.layout->lineCount(); ++i)
        tops.push_back(static_cast<int>(std::floor(laid.layout->lineAt(i).y())));
    return tops;
}

BubbleGeometry bubble_geometry(int direction, const QString& body) {
    const QFontMetrics measure(pool_font(512));
    const int w = measure.horizontalAdvance(body);
    const int lh = measure.height();
    int tw = w, th = lh;
    if (w > kWrapWidth) {
        tw = kWrapWidth;
        th = lh * ((w + kWrapWidth - 1) / kWrapWidth);
    }
    // The body is drawn word-wrapped in font key 256: never give it less room
    // than that needs.
    const int wrapped = lay_out_body(body, pool_font(256), tw).height;
    th = std::max(th, wrapped - 8);
    BubbleGeometry g;
    if (direction == kReceived) {
        g.box = ltrb(0, 30, tw + 30, th + 71);
        g.height = th + 71;
        g.text_box = ltrb(0 + 18, 30 + 15, tw + 30 - 12, th + 71 - 18);
    } else {
        const int left = CMsgInfoItem::kWidth - tw - 31;
        g.box = ltrb(left, 30, CMsgInfoItem::kWidth, th + 74);
        g.height = th + 74;
        g.text_box = ltrb(left + 12, 30 + 18, CMsgInfoItem::kWidth - 18, th + 74 - 18);
    }
    return g;
}

CMsgInfoItem::CMsgInfoItem(int direction, const QString& body, const QString& time, QWidget* parent)
    : QWidget(parent), direction_(direction), body_(body), time_(time), geometry_(bubble_geometry(direction, body)) {
    resize(kWidth, geometry_.height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName((direction == kReceived ? tr("Received") : tr("Sent")) + ", " + time);
    setAccessibleDescription(body);
}

CMsgInfoItem::~CMsgInfoItem() = default;

void CMsgInfoItem::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(244, 247, 250));
    p.setFont(pool_font(256));
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, kWidth, 30), Qt::AlignCenter | Qt::TextSingleLine, time_);

    const int L = geometry_.box.left(), T = geometry_.box.top();
    const int R = L + geometry_.box.width(), B = T + geometry_.box.height();
    if (direction_ == kReceived) {
        draw(p, "in_lefttop.bmp", QRect(L, T, 18, 15));
        draw(p, "in_leftbottom.bmp", QRect(L, B - 18, 18, 18));
        draw(p, "in_righttop.bmp", QRect(R - 12, T, 12, 15));
        draw(p, "in_rightbottom.bmp", QRect(R - 12, B - 18, 12, 18));
        draw(p, "in_topline.bmp", QRect(L + 18, T, R - L - 30, 15));
        draw(p, "in_bottomline.bmp", QRect(L + 18, B - 18, R - L - 30, 18));
        draw(p, "in_leftline.bmp", QRect(L, T + 15, 18, B - T - 33));
        draw(p, "in_rightline.bmp", QRect(R - 12, T + 15, 12, B - T - 33));
        p.fillRect(ltrb(L + 18, T + 15, R - 12, B - 18), QColor(216, 216, 216));
    } else {
        draw(p, "out_lefttop.bmp", QRect(L, T, 12, 18));
        draw(p, "out_leftbottom.bmp", QRect(L, B - 18, 12, 18));
        draw(p, "out_righttop.bmp", QRect(R - 18, T, 18, 18));
        draw(p, "out_rightbottom.bmp", QRect(R - 18, B - 18, 18, 18));
        draw(p, "out_topline.bmp", QRect(L + 12, T, R - L - 30, 18));
        draw(p, "out_bottomline.bmp", QRect(L + 12, B - 18, R - L - 30, 18));
        draw(p, "out_leftline.bmp", QRect(L, T + 18, 12, B - T - 36));
        draw(p, "out_rightline.bmp", QRect(R - 18, T + 18, 18, B - T - 36));
        p.fillRect(ltrb(L + 12, T + 18, R - 18, B - 18), QColor(136, 193, 33));
    }
    p.setPen(Qt::black);
    // The body and its box never change: it is laid out once, not at every
    // paint of a conversation being scrolled.
    if (!body_layout_) body_layout_ = lay_out_body(body_, pool_font(256), geometry_.text_box.width()).layout;
    body_layout_->draw(&p, geometry_.text_box.topLeft());
}

}  // namespace quen::ui
