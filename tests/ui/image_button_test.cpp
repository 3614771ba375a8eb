// The image button: the frame it shows in each state, and that only a press
// and a release on an enabled button click it.
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "ui/controls/img_button.h"
#include "ui/skin/skin_folder.h"
#include "ui_test_main.h"

using quen::ui::CImgButton;

namespace {

// Frame `i` of the strip as the button would show it on a plain surface.
QImage frame_of(const QString& picture, int i, QSize size) {
    const QPixmap strip = quen::ui::load_skin_picture(picture);
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    p.drawPixmap(QPoint(0, 0), strip, QRect(i * size.width(), 0, size.width(), size.height()));
    return img;
}

QImage shown(QWidget& w) {
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

}  // namespace

class ImageButtonTest : public QObject {
    Q_OBJECT
private slots:
    void disabled_shows_its_fourth_frame_and_ignores_clicks() {
        QWidget parent;
        parent.resize(200, 100);
        auto* b = new CImgButton(1041, "Stop", &parent);
        QVERIFY(b->attach("stop.png", 10, 10));
        QCOMPARE(b->size(), QSize(76, 28));
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QSignalSpy clicked(b, &QAbstractButton::clicked);

        QCOMPARE(b->current_frame(), 0);
        QCOMPARE(shown(*b), frame_of("stop.png", 0, b->size()));
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);

        b->setEnabled(false);
        QCOMPARE(b->current_frame(), 3);
        QCOMPARE(shown(*b), frame_of("stop.png", 3, b->size()));
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(15, 15));
        QApplication::sendEvent(b, &enter);
        QCOMPARE(b->current_frame(), 3);
        QTest::mouseClick(b, Qt::LeftButton);
        QTest::keyClick(b, Qt::Key_Space);
        QCOMPARE(clicked.count(), 1);
        QVERIFY(b->cursor().shape() != Qt::PointingHandCursor);
    }

    void dragging_off_a_pressed_button_does_not_click() {
        QWidget parent;
        parent.resize(300, 100);
        auto* b = new CImgButton(1011, "OK", &parent);
        QVERIFY(b->attach("ok.png", 10, 10));
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QSignalSpy clicked(b, &QAbstractButton::clicked);

        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(b->current_frame(), 2);
        QMouseEvent away(QEvent::MouseMove, QPointF(200, 60), b->mapToGlobal(QPointF(200, 60)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(b, &away);
        QCOMPARE(b->current_frame(), 0);  // the normal look again
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(200, 60));
        QCOMPARE(clicked.count(), 0);

        // With the keyboard: Tab focus, then Space or Enter.
        b->setFocus(Qt::TabFocusReason);
        QTest::keyClick(b, Qt::Key_Space);
        QTRY_COMPARE(clicked.count(), 1);
        QTest::keyClick(b, Qt::Key_Return);
        QTRY_COMPARE(clicked.count(), 2);
        QCOMPARE(b->accessibleName(), QString("OK"));
    }
};

QUEN_UI_TEST(ImageButtonTest);
#include "image_button_test.moc"
