// The preview panels: bubble sizes, message order, the contact card's wrap,
// and how the picture panel fits, caches and falls back.
#include <QBuffer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImageWriter>
#include <QTest>

#include "test_support/files.h"
#include "ui/preview/char_wrap.h"
#include "ui/preview/contact_board.h"
#include "ui/preview/conversation_board.h"
#include "ui/preview/image_board.h"
#include "ui/preview/msg_bubble.h"
#include "ui/skin/font_pool.h"
#include "ui_test_main.h"

using namespace quen;
using namespace quen::ui;

class PreviewTest : public QObject {
    Q_OBJECT
private slots:
    void bubbles_are_sized_by_their_text() {
        const QFontMetrics fm(pool_font(512));
        const QString short_text = "See you at 8";
        const int w = fm.horizontalAdvance(short_text);
        QVERIFY(w < 160);
        const BubbleGeometry in = bubble_geometry(kReceived, short_text);
        QCOMPARE(in.box.left(), 0);
        QCOMPARE(in.box.width(), w + 30);
        QCOMPARE(in.height, fm.height() + 71);
        const BubbleGeometry out = bubble_geometry(kSent, short_text);
        QCOMPARE(out.box.left() + out.box.width(), 215);
        QCOMPARE(out.box.width(), w + 31);
        QCOMPARE(out.height, fm.height() + 74);

        QString long_text = "A longer message that needs several lines in its balloon, three at the least";
        const int lw = fm.horizontalAdvance(long_text);
        QVERIFY(lw > 320);
        const BubbleGeometry wrapped = bubble_geometry(kReceived, long_text);
        QCOMPARE(wrapped.text_box.width(), 160);
        const int lines = (lw + 159) / 160;
        QVERIFY(wrapped.text_box.height() >= lines * fm.height() + 8);
        // The body fits its box as it is drawn.
        const QFontMetrics body(pool_font(256));
        QVERIFY(body.boundingRect(QRect(0, 0, 160, 10000), Qt::TextWordWrap, long_text).height() <= wrapped.text_box.height());

        // Mixed scripts: the lines stay evenly a full line apart (the font's
        // own spacing is tighter than its glyphs) and all lie in the balloon.
        const QString mixed = QString::fromUtf8(
            "Room 4.12 Can you send me the address? \u0633\u0623\u062a\u0635\u0644 \u0628\u0643 \u0644\u0627\u062d\u0642\u0627 "
            "\u0393\u03b5\u03b9\u03b1 \u03c3\u03bf\u03c5! \u05e9\u05dc\u05d5\u05dd, \u05de\u05d4 \u05e9\u05dc\u05d5\u05de\u05da? Je suis dans le train.");
        const BubbleGeometry mixed_box = bubble_geometry(kSent, mixed);
        const std::vector<int> tops = bubble_line_tops(mixed, mixed_box.text_box.width());
        QVERIFY(tops.size() >= 3);
        const int pitch = tops[1] - tops[0];
        QVERIFY(pitch * 4 >= QFontInfo(pool_font(256)).pixelSize() * 5);
        for (size_t i = 1; i < tops.size(); ++i) QCOMPARE(tops[i] - tops[i - 1], pitch);
        QVERIFY(tops.back() + pitch <= mixed_box.text_box.height() + 8);
        // A line break in the body starts a line.
        QCOMPARE(bubble_line_tops("moved to 3pm\nRoom 4.12", 160).size(), size_t{2});
        QCOMPARE(bubble_line_tops("moved to 3pm\r\nRoom 4.12", 160).size(), size_t{2});
    }

    void messages_of_the_same_second_keep_their_order() {
        records::ThreadRecord t;
        auto add = [&](const char* date, const char* body, int type) {
            records::MessageRecord m;
            m.date_text = date;
            m.body = body;
            m.type = type;
            t.messages.push_back(m);
        };
        add("2024-05-02 09:00:00", "later", 1);
        add("2024-05-01 08:00:00", "first", 2);
        add("2024-05-01 08:00:00", "second", 1);
        add("2024-05-01 08:00:00", "", 1);  // no bubble for an empty body
        add("2024-05-01 08:00:00", "third", 2);
        add("", "undated", 1);  // a deleted message whose date was lost
        CMsgInfoBoard board(nullptr);
        board.resize(240, 507);
        board.show_conversation(&t);
        std::vector<QString> bodies;
        for (CMsgInfoItem* b : board.bubbles()) bodies.push_back(b->body());
        QCOMPARE(bodies, (std::vector<QString>{"undated", "first", "second", "third", "later"}));
        QCOMPARE(board.bubbles()[0]->time(), QString("date unknown"));
        QCOMPARE(board.bubbles()[1]->time(), QString("2024-05-01 08:00:00"));
        t.messages.pop_back();
        board.show_conversation(&t);
        QCOMPARE(board.bubbles()[0]->direction(), int(kSent));
        QCOMPARE(board.bubbles()[1]->direction(), int(kReceived));
        QCOMPARE(board.bubbles()[0]->y(), 30);
        QCOMPARE(board.bubbles()[1]->y(), 30 + board.bubbles()[0]->height());
        QCOMPARE(t.messages[0].body, std::string("later"));  // the thread itself is not reordered
        board.show_conversation(nullptr);
        QVERIFY(board.bubbles().empty());
    }

    void the_card_wraps_by_character_and_shows_only_whole_lines() {
        const QFontMetrics fm(pool_font(256));
        const QString text = QString::fromUtf8("Gr\u00fc\u00dfe aus K\u00f6ln \xf0\x9f\x98\x80\xf0\x9f\x98\x80 und mehr Text\nneue Zeile");
        const QStringList lines = char_wrap(text, fm, 80);
        QVERIFY(lines.size() >= 3);
        QCOMPARE(lines.join(""), QString(text).remove('\n'));
        for (const QString& l : lines) {
            QVERIFY(!l.isEmpty());
            QVERIFY(l.size() == 1 || fm.horizontalAdvance(l) < 79);
            QVERIFY(!l.front().isLowSurrogate() && !l.back().isHighSurrogate());
        }
        QVERIFY(lines.contains("neue Zeile") || lines.last().startsWith("neue"));
        // A box narrower than one character still gets one per line.
        QCOMPARE(char_wrap("WW", fm, 2), (QStringList{"W", "W"}));
        // A wrap asked for a few lines gives the same first lines and stops.
        QCOMPARE(char_wrap(text, fm, 80, 2), lines.mid(0, 2));

        // A value longer than its box: whole lines only, the last with an
        // ellipsis; one that fits is left as it is.
        const QStringList two = char_wrap("ivan.petrov@work.example|ivan.petrov3@mail.example", fm, 120);
        QVERIFY(two.size() >= 2);
        QCOMPARE(fit_lines(two, fm, 120, two.size()), two);
        const QStringList one = fit_lines(two, fm, 120, 1);
        QCOMPARE(one.size(), 1);
        QVERIFY(one[0].endsWith(QChar(0x2026)) && one[0].startsWith("ivan."));
        QVERIFY(fm.horizontalAdvance(one[0]) < 120);
        QCOMPARE(fit_lines(two, fm, 120, 0).size(), 1);

        // The card shows that cut value in its one line and gives it whole in
        // the tooltip of its row.
        records::ContactRecord c;
        c.email = "ivan.petrov@work.example|ivan.petrov3@mail.example";
        c.note = "two\nlines";
        CContactInfoBoard board(nullptr);
        board.resize(240, 507);
        board.show_contact(&c);
        for (const auto& f : CContactInfoBoard::fields()) {
            const QString value = board.value_at(QPoint(100, (f.top + f.bottom) / 2));
            QCOMPARE(value, QString::fromStdString(c.*f.value));
        }
        QCOMPARE(board.value_at(QPoint(100, 5)), QString());
    }

    void pictures_are_fitted_never_enlarged_and_decoded_once() {
        test::TempDir dir("quen-ui-preview");
        auto save = [&](const char* name, QSize size, const char* format) {
            QImage img(size, QImage::Format_RGB32);
            img.fill(QColor(30, 120, 200));
            const std::string path = dir.path() + "/" + name;
            QImageWriter w(QString::fromStdString(path), format);
            return w.write(img) ? path : std::string();
        };
        DhImagePreviewBoard board(nullptr);
        board.resize(240, 507);
        board.show();
        QVERIFY(QTest::qWaitForWindowExposed(&board));

        board.set_requested(save("small.png", QSize(100, 50), "png"), "small.png", 1);
        board.repaint();
        QCOMPARE(board.picture_rect(), QRect(70, 228, 100, 50));
        board.set_requested(save("wide.jpg", QSize(480, 100), "jpg"), "wide.jpg", 1);
        board.repaint();
        QCOMPARE(board.picture_rect(), QRect(0, 228, 240, 50));
        const int decodes = board.decode_count();
        board.repaint();
        board.set_requested(board.requested_path());
        board.repaint();
        QCOMPARE(board.decode_count(), decodes);

        // The phone formats Qt's plugins read (Qt writes no GIF: the skin's animation serves).
        for (const char* fmt : {"bmp", "webp"}) {
            const std::string p = save((std::string("pic.") + fmt).c_str(), QSize(300, 600), fmt);
            QVERIFY2(!p.empty(), fmt);
            board.set_requested(p, "pic", 1);
            board.repaint();
            QVERIFY2(board.has_image(), fmt);
            QCOMPARE(board.picture_rect().size(), QSize(240, 480));
        }
        board.set_requested(test::source_path("resources/image/loaddata.gif"), "loaddata.gif", 1);
        board.repaint();
        QVERIFY(board.has_image());
        QCOMPARE(board.picture_rect().size(), QSize(240, 101));  // 785 x 331 scaled to the width

        // Not a picture: no image, the file's icon, name and size instead.
        const std::string doc = dir.path() + "/12.pdf";
        test::write_file(doc, "%PDF-1.4 not a picture");
        board.set_requested(doc, "12.pdf", 22);
        board.repaint();
        QVERIFY(!board.has_image());
        const int tried = board.decode_count();
        board.repaint();
        QCOMPARE(board.decode_count(), tried);  // not tried again at every paint

        // A copy not written yet is decoded again once it is.
        const std::string later = dir.path() + "/later.png";
        board.set_requested(later, "later.png", 1);
        board.repaint();
        QVERIFY(!board.has_image());
        QImage img(QSize(10, 10), QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(QString::fromStdString(later)));
        board.copy_written();
        QVERIFY(board.has_image());

        // A copy painted while half written is shown whole once it is written.
        QByteArray jpeg;
        {
            QImage full(QSize(200, 200), QImage::Format_RGB32);
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 200; ++x) full.setPixelColor(x, y, QColor(200 + (x * y) % 40, 30, 30));
            QBuffer buf(&jpeg);
            buf.open(QIODevice::WriteOnly);
            QVERIFY(full.save(&buf, "jpg"));
        }
        const std::string growing = dir.path() + "/growing.jpg";
        test::write_file(growing, jpeg.left(jpeg.size() / 2).toStdString());
        board.set_requested(growing, "growing.jpg", 1);
        board.repaint();
        test::write_file(growing, jpeg.toStdString());
        board.copy_written();
        const QRect drawn = board.picture_rect();
        QCOMPARE(drawn.size(), QSize(200, 200));
        const QColor bottom = board.grab().toImage().pixelColor(drawn.center().x(), drawn.bottom() - 2);
        QVERIFY2(bottom.red() > 150 && bottom.green() < 80, qPrintable(bottom.name()));
    }
};

QUEN_UI_TEST(PreviewTest);
#include "preview_test.moc"
