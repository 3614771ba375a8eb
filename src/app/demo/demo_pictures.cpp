#include "app/demo/demo_pictures.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace quen::app {
namespace {

QByteArray encode(const QImage& img, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, format);
    if (quality >= 0) w.setQuality(quality);
    w.write(img);
    return bytes;
}

QImage sunset() {
    QImage img(1200, 800, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 520);
    sky.setColorAt(0, QColor(255, 170, 110));
    sky.setColorAt(1, QColor(255, 228, 180));
    p.fillRect(img.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 245, 210));
    p.drawEllipse(QPointF(820, 380), 90, 90);
    QLinearGradient sea(0, 500, 0, 800);
    sea.setColorAt(0, QColor(40, 110, 160));
    sea.setColorAt(1, QColor(15, 50, 90));
    p.fillRect(QRect(0, 500, 1200, 300), sea);
    QPainterPath hill;
    hill.moveTo(0, 520);
    hill.cubicTo(250, 330, 420, 360, 640, 520);
    hill.closeSubpath();
    p.setBrush(QColor(60, 70, 90));
    p.drawPath(hill);
    return img;
}

QImage mountains() {
    QImage img(1024, 768, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 500);
    sky.setColorAt(0, QColor(90, 150, 220));
    sky.setColorAt(1, QColor(200, 228, 250));
    p.fillRect(img.rect(), sky);
    p.setPen(Qt::NoPen);
    const QColor ranges[] = {QColor(120, 140, 170), QColor(80, 100, 130), QColor(50, 90, 70)};
    for (int r = 0; r < 3; ++r) {
        QPainterPath m;
        const int base = 460 + r * 90;
        m.moveTo(0, 768);
        m.lineTo(0, base);
        for (int x = 0; x <= 1024; x += 128)
            m.lineTo(x + 64, base - 120 + ((x / 128 + r) % 3) * 55 - r * 20);
        m.lineTo(1024, base);
        m.lineTo(1024, 768);
        m.closeSubpath();
        p.setBrush(ranges[r]);
        p.drawPath(m);
    }
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawEllipse(QPointF(180, 140), 70, 26);
    p.drawEllipse(QPointF(240, 130), 60, 30);
    return img;
}

QImage flower() {
    QImage img(900, 900, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient bg(450, 450, 640);
    bg.setColorAt(0, QColor(120, 170, 90));
    bg.setColorAt(1, QColor(30, 70, 40));
    p.fillRect(img.rect(), bg);
    p.translate(450, 450);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        p.save();
        p.rotate(i * 30);
        p.setBrush(i % 2 ? QColor(250, 200, 60) : QColor(255, 220, 90));
        p.drawEllipse(QPointF(0, -170), 70, 160);
        p.restore();
    }
    p.setBrush(QColor(120, 70, 30));
    p.drawEllipse(QPointF(0, 0), 95, 95);
    return img;
}

QImage city() {
    QImage img(1280, 720, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient sky(0, 0, 0, 720);
    sky.setColorAt(0, QColor(20, 24, 60));
    sky.setColorAt(1, QColor(90, 60, 110));
    p.fillRect(img.rect(), sky);
    p.setPen(Qt::NoPen);
    int x = 0;
    int h = 260;
    while (x < 1280) {
        const int w = 70 + (x * 7) % 60;
        h = 180 + (h * 13 + x) % 300;
        p.fillRect(QRect(x, 720 - h, w - 6, h), QColor(30, 32, 48));
        for (int wy = 720 - h + 14; wy < 700; wy += 26)
            for (int wx = x + 10; wx < x + w - 18; wx += 18)
                if (((wx * 3 + wy) / 7) % 3 != 0) p.fillRect(QRect(wx, wy, 8, 12), QColor(250, 214, 120));
        x += w;
    }
    return img;
}

}  // namespace

std::vector<DemoPicture> paint_demo_pictures() {
    return {
        {"jpg", encode(sunset(), "jpg", 88)},
        {"jpg", encode(mountains(), "jpg", 85)},
        {"png", encode(flower(), "png", -1)},
        {"jpg", encode(city(), "jpg", 85)},
    };
}

}  // namespace quen::app
