#include "app/connect_page.h"

#include <QPainter>

#include "app/main_layout.h"
#include "ui/skin/drawing_helpers.h"
#include "ui/skin/font_pool.h"

namespace quen::app {
namespace {

using phone::DeviceState;

const char* const kTips[] = {
    "1. Be sure you've installed the drive of your device",
    "2. Make sure device enables USB Debugging(Setting >> Applications >> Development >> USB debugging).",
    "3. If you want to recover SMS or contacts, please make sure you've got ROOT access on your Android phone.",
    "4. If you want to recover the data on the phone's SD card, you should turn on USB storage on the device.",
};

void draw_left(QPainter& p, int x, int y, const QString& text) {
    p.drawText(QRect(x, y, kWindowWidth - x, p.fontMetrics().height() + 2), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void paint_tips(QPainter& p) {
    p.setPen(QColor(189, 58, 6));
    p.setFont(ui::pool_font(512));
    draw_left(p, 80, 540, "Cannot load data from Android Phone, please : ");
    p.setPen(QColor(10, 0, 0));
    p.setFont(ui::pool_font(256));
    for (int i = 0; i < 4; ++i) draw_left(p, 100, 560 + 20 * i, kTips[i]);
}

// The state's problem and fix under the warning picture, centred, the fix
// wrapped at word boundaries over at most two lines.
void paint_state_texts(QPainter& p, DeviceState state) {
    const phone::DeviceStateText text = phone::device_state_text(state);
    const QRect pic = kPictureRect;
    p.setPen(QColor(34, 40, 49));
    p.setFont(ui::get_font("Arial", 17, 700));
    p.drawText(QRect(pic.left(), pic.top() + 236, pic.width(), 22), Qt::AlignHCenter | Qt::AlignVCenter, QString::fromUtf8(text.problem));
    p.setPen(QColor(110, 118, 129));
    p.setFont(ui::get_font("Arial", 13, 400));
    const QRect fix(pic.left() + 12, pic.top() + 262, pic.width() - 24, 2 * p.fontMetrics().lineSpacing() + 2);
    p.drawText(fix, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, QString::fromUtf8(text.fix));
}

}  // namespace

bool has_state_texts(phone::LoadState state) {
    return state != phone::kLoading && state != static_cast<int>(DeviceState::NoDevice) &&
           state != static_cast<int>(DeviceState::Ready) && state != static_cast<int>(DeviceState::NotAuthorized);
}

void paint_connect_page(QPainter& p, phone::LoadState state, const QPixmap& frame, const ConnectPictures& pictures) {
    p.drawPixmap(QPoint(0, 0), pictures.background);
    p.drawPixmap(QPoint(1, 74), pictures.step);
    const QRect pic = kPictureRect;
    if (state == phone::kLoading) {
        if (!frame.isNull()) p.drawPixmap(pic, frame);
    } else if (state == static_cast<int>(DeviceState::NotAuthorized)) {
        p.drawPixmap(pic, pictures.authorise);
        p.setPen(QColor(52, 166, 106));
        p.setFont(ui::get_font("Arial", 19, 400));  // 14 points
        draw_left(p, 240, 200, "Authorization on device is required in order to continue.");
        p.setPen(Qt::black);
        p.setFont(ui::get_font("Arial", 13, 400));  // 10 points
        draw_left(p, 260, 230, "Please check your phone screen and authorize this Mac as shown below.");
    } else if (has_state_texts(state)) {
        p.drawPixmap(pic, pictures.warning);
        paint_state_texts(p, static_cast<DeviceState>(state));
    } else {
        p.drawPixmap(pic, pictures.failed);
    }
    paint_tips(p);
}

}  // namespace quen::app
