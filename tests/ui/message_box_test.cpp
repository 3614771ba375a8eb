// The message box: where its buttons go, how its text is laid out, and what
// each way of closing it answers.
#include <QFontMetrics>
#include <QTest>

#include "ui/controls/img_button.h"
#include "ui/dialogs/msg_box.h"
#include "ui/skin/drawing_helpers.h"
#include "ui_test_main.h"

using quen::ui::CImgButton;
using quen::ui::CMsgBox;

class MessageBoxTest : public QObject {
    Q_OBJECT
private slots:
    void one_button_is_centred() {
        CMsgBox box(CMsgBox::kWarning, CMsgBox::kOkButton, "Please select the directory to save the files recovered.", nullptr);
        CImgButton* ok = box.button(CMsgBox::kOk);
        QVERIFY(ok && ok->width() > 0);
        QCOMPARE(ok->x(), (box.width() - ok->width()) / 2);
        QCOMPARE(ok->y(), box.height() - ok->height() - 15);
        QVERIFY(!box.button(CMsgBox::kYes) && !box.button(CMsgBox::kNo) && !box.button(CMsgBox::kCancel));
    }

    void two_buttons_stand_forty_apart_about_the_centre() {
        for (int bits : {CMsgBox::kYesButton | CMsgBox::kNoButton, CMsgBox::kOkButton | CMsgBox::kCancelButton}) {
            CMsgBox box(CMsgBox::kWarning, bits, "Are you sure to go back to reload the data from Android phone?", nullptr);
            CImgButton* first = box.button(bits & CMsgBox::kYesButton ? CMsgBox::kYes : CMsgBox::kOk);
            CImgButton* second = box.button(bits & CMsgBox::kNoButton ? CMsgBox::kNo : CMsgBox::kCancel);
            QVERIFY(first && second);
            QCOMPARE(second->x() - (first->x() + first->width()), 40);
            QCOMPARE(first->x() + first->width() + 20, box.width() / 2);
            QCOMPARE(first->y(), second->y());
            QCOMPARE(first->y(), box.height() - first->height() - 15);
        }
    }

    void one_line_text_is_centred_and_long_text_wraps_uncut() {
        CMsgBox short_box(CMsgBox::kInformation, CMsgBox::kYesButton, "This version of (2.1.0.35) is the latest version.", nullptr);
        QVERIFY(short_box.one_line());
        QCOMPARE(short_box.text_rect().left(), 70);
        QCOMPARE(short_box.text_rect().right(), short_box.width() - 10);
        QCOMPARE(short_box.text_rect().center().y(), (short_box.height() - 1) / 2);

        // Three times as wide as the room for it: four lines, centred.
        const QFontMetrics fm(quen::ui::get_font("Arial", 16, 400));
        QString text = "word";
        CMsgBox probe(CMsgBox::kWarning, CMsgBox::kOkButton, "x", nullptr);
        const int a = probe.width() - 80;
        while (fm.horizontalAdvance(text) < 3 * a + a / 2) text += " word";
        CMsgBox box(CMsgBox::kWarning, CMsgBox::kOkButton, text, nullptr);
        QVERIFY(!box.one_line());
        QVERIFY(box.line_count() >= 4);
        const QRect r = box.text_rect();
        QCOMPARE(r.height(), box.line_count() * fm.lineSpacing());
        QVERIFY(qAbs(r.center().y() - box.height() / 2) <= 1);
        // Nothing of the wrapped text falls outside its rectangle, and the
        // rectangle stays clear of the buttons.
        QVERIFY(fm.boundingRect(QRect(0, 0, r.width(), 10000), Qt::TextWordWrap, text).height() <= r.height());
        QVERIFY(r.bottom() < box.button(CMsgBox::kOk)->y());
    }

    void each_way_of_closing_gives_its_answer() {
        struct Case {
            int bits;
            std::function<void(CMsgBox&)> act;
            int expected;
        };
        auto click = [](int id) { return [id](CMsgBox& b) { QTest::mouseClick(b.button(id), Qt::LeftButton); }; };
        auto key = [](Qt::Key k) { return [k](CMsgBox& b) { QTest::keyClick(&b, k); }; };
        const int yes_no = CMsgBox::kYesButton | CMsgBox::kNoButton;
        const int ok_cancel = CMsgBox::kOkButton | CMsgBox::kCancelButton;
        const std::vector<Case> cases = {
            {yes_no, click(CMsgBox::kYes), CMsgBox::kYes},
            {yes_no, click(CMsgBox::kNo), CMsgBox::kNo},
            {yes_no, click(CMsgBox::kClose), CMsgBox::kClose},
            {ok_cancel, click(CMsgBox::kOk), CMsgBox::kOk},
            {ok_cancel, click(CMsgBox::kCancel), CMsgBox::kCancel},
            {yes_no, key(Qt::Key_Return), CMsgBox::kYes},
            {CMsgBox::kOkButton, key(Qt::Key_Enter), CMsgBox::kOk},
            {yes_no, key(Qt::Key_Escape), CMsgBox::kClose},
        };
        for (const Case& c : cases) {
            CMsgBox box(CMsgBox::kWarning, c.bits, "text", nullptr);
            box.open();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            c.act(box);
            QTRY_VERIFY(!box.isVisible());
            QCOMPARE(box.result(), c.expected);
        }
    }
};

QUEN_UI_TEST(MessageBoxTest);
#include "message_box_test.moc"
