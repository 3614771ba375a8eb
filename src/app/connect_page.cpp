#include "app/connect_page.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

#include "app/main_layout.h"
#include "ui/skin/drawing_helpers.h"
#include "ui/skin/font_pool.h"

namespace quen::app {
namespace {

using phone::DeviceState;

// The animation's second caption line, in the picture's coordinates.
constexpr int kCaptionNoteY = 272;
constexpr int kCaptionNoteHeight = 22;

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

// The copy under way in place of the animation's second caption line, on
// the frame's own background there so the line it covers does not show.
void paint_status(QPainter& p, const QPixmap& frame, const QString& status) {
    const QRect pic = kPictureRect;
    const QRect line(pic.left(), pic.top() + kCaptionNoteY, pic.width(), kCaptionNoteHeight);
    QColor ground(Qt::white);
    if (!frame.isNull()) {
        const QImage image = frame.toImage();
        const int y = (kCaptionNoteY + kCaptionNoteHeight / 2) * image.height() / pic.height();
        if (y < image.height()) ground = image.pixelColor(2, y);
    }
    p.fillRect(line, ground);
    p.setPen(QColor(110, 118, 129));
    p.setFont(ui::get_font("Arial", 13, 400));
    p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, status);
}

}  // namespace

bool has_state_texts(phone::LoadState state) {
    return state != phone::kLoading && state != static_cast<int>(DeviceState::NoDevice) &&
           state != static_cast<int>(DeviceState::Ready) && state != static_cast<int>(DeviceState::NotAuthorized);
}

QString transfer_text(const phone::TransferProgress& progress) {
    if (progress.remote.empty()) return {};
    const QString name = QString::fromStdString(progress.remote.substr(progress.remote.find_last_of('/') + 1));
    const auto mb = [](std::uint64_t bytes) { return QString::number(static_cast<double>(bytes) / 1e6, 'f', 1); };
    if (!progress.total) return QString("Copying %1 from the phone: %2 MB").arg(name, mb(progress.bytes));
    const std::uint64_t percent = std::min<std::uint64_t>(progress.bytes, progress.total) * 100 / progress.total;
    return QString("Copying %1 from the phone: %2 of %3 MB (%4%)").arg(name, mb(progress.bytes), mb(progress.total)).arg(percent);
}

void paint_connect_page(QPainter& p, phone::LoadState state, const QPixmap& frame, const ConnectPictures& pictures,
                        const QString& status) {
    p.drawPixmap(QPoint(0, 0), pictures.background);
    p.drawPixmap(QPoint(1, 74), pictures.step);
    const QRect pic = kPictureRect;
    if (state == phone::kLoading) {
        if (!frame.isNull()) p.drawPixmap(pic, frame);
        if (!status.isEmpty()) paint_status(p, frame, status);
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
