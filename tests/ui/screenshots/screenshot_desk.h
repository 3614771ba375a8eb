#pragma once
// What both screenshot programs share: a plain desktop behind the windows, so
// their shape shows against it, and saving a window with a margin of that
// desktop around it.
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <cstdio>

namespace quen::shots {

class Desktop : public QWidget {
public:
    Desktop() {
        setWindowFlags(Qt::FramelessWindowHint);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(196, 203, 212));
        setPalette(p);
        setGeometry(QGuiApplication::primaryScreen()->geometry());
    }
};

// Lets pending paints and timers run before a picture is taken.
inline void settle(int ms = 200) {
    QTest::qWait(ms);
    QCoreApplication::processEvents();
}

// Saves `w` with 14 pixels of desktop around it as `folder`/`name`; says why
// on stderr (as `program`) and returns false when it cannot.
inline bool save_shot(QWidget& w, const QString& folder, const QString& name, const char* program) {
    constexpr int kMargin = 14;
    settle();
    const QRect r = w.frameGeometry().adjusted(-kMargin, -kMargin, kMargin, kMargin);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    const QString path = QDir(folder).filePath(name);
    if (shot.isNull() || !shot.save(path)) {
        std::fprintf(stderr, "%s: cannot save %s\n", program, qPrintable(path));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(path));
    return true;
}

}  // namespace quen::shots
