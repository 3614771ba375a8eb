// make-skin: paints the window's skin.
//   make-skin DIR          writes every picture, and its "@2x" twin, into DIR
//   make-skin --check DIR  paints them again in memory and compares them byte
//                          for byte with DIR's files; exit 1 on any difference
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "connect_art.h"
#include "gif_writer.h"
#include "paint_kit.h"

using namespace quen::skin;

namespace {

QString at2x(const QString& name) {
    const int dot = name.lastIndexOf('.');
    return name.left(dot) + "@2x" + name.mid(dot);
}

QByteArray encode(const QImage& img, const QString& name) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, name.endsWith(".bmp") ? "bmp" : "png");
    if (!w.write(img)) std::fprintf(stderr, "make-skin: cannot encode %s\n", qPrintable(name));
    return bytes;
}

// The animation must read back as it was painted: same frame count, and each
// frame within the palette's rounding of its source.
bool gif_reads_back(const QByteArray& gif, const std::vector<GifFrame>& frames, const QString& name) {
    QBuffer buf;
    buf.setData(gif);
    buf.open(QIODevice::ReadOnly);
    QImageReader r(&buf, "gif");
    if (r.imageCount() != static_cast<int>(frames.size())) {
        std::fprintf(stderr, "make-skin: %s reads back with %d frames\n", qPrintable(name), r.imageCount());
        return false;
    }
    for (const GifFrame& f : frames) {
        const QImage got = r.read().convertToFormat(QImage::Format_RGB32);
        const QImage want = f.image.convertToFormat(QImage::Format_RGB32);
        if (got.size() != want.size()) {
            std::fprintf(stderr, "make-skin: %s frame reads back at another size\n", qPrintable(name));
            return false;
        }
        double err = 0;
        for (int y = 0; y < got.height(); ++y) {
            const auto* a = reinterpret_cast<const QRgb*>(got.constScanLine(y));
            const auto* b = reinterpret_cast<const QRgb*>(want.constScanLine(y));
            for (int x = 0; x < got.width(); ++x)
                err += std::abs(qRed(a[x]) - qRed(b[x])) + std::abs(qGreen(a[x]) - qGreen(b[x])) + std::abs(qBlue(a[x]) - qBlue(b[x]));
        }
        if (err / (3.0 * got.width() * got.height()) > 2.0) {
            std::fprintf(stderr, "make-skin: %s frame differs from its source (%.2f)\n", qPrintable(name), err / (3.0 * got.width() * got.height()));
            return false;
        }
    }
    return true;
}

std::map<QString, QByteArray> paint_everything(bool& ok) {
    std::map<QString, QByteArray> files;
    std::vector<Picture> all = window_pictures();
    for (auto group : {dialog_pictures(), list_pictures()})
        for (Picture& p : group) all.push_back(std::move(p));
    for (const Picture& pic : all) {
        files[pic.name] = encode(pic.paint(1.0), pic.name);
        files[at2x(pic.name)] = encode(pic.paint(2.0), at2x(pic.name));
    }
    for (qreal scale : {1.0, 2.0}) {
        const QString name = scale == 1.0 ? "loaddata.gif" : "loaddata@2x.gif";
        const std::vector<GifFrame> frames = loading_frames(scale);
        files[name] = encode_gif(frames);
        ok = gif_reads_back(files[name], frames, name) && ok;
    }
    for (const auto& [name, bytes] : files)
        if (bytes.isEmpty()) ok = false;
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool check = args.size() == 3 && args[1] == "--check";
    if (!(args.size() == 2 && !args[1].startsWith('-')) && !check) {
        std::fprintf(stderr, "usage: make-skin DIR | make-skin --check DIR\n");
        return 2;
    }
    if (!load_fonts()) {
        std::fprintf(stderr, "make-skin: Liberation Sans is missing (Debian package fonts-liberation)\n");
        return 1;
    }
    const QDir dir(args.last());
    bool ok = true;
    const std::map<QString, QByteArray> files = paint_everything(ok);
    if (!ok) return 1;

    if (check) {
        int differ = 0;
        for (const auto& [name, bytes] : files) {
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::ReadOnly) || f.readAll() != bytes) {
                std::fprintf(stderr, "make-skin: %s differs from what the generator paints\n", qPrintable(name));
                ++differ;
            }
        }
        std::printf("make-skin: %zu pictures checked, %d differ\n", files.size(), differ);
        return differ == 0 ? 0 : 1;
    }
    if (!QDir().mkpath(dir.path())) return 1;
    for (const auto& [name, bytes] : files) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "make-skin: cannot write %s\n", qPrintable(dir.filePath(name)));
            return 1;
        }
    }
    std::printf("make-skin: %zu pictures written to %s\n", files.size(), qPrintable(dir.path()));
    return 0;
}
