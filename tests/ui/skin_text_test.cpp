// Size and time texts at their edges, and the text test for byte buffers.
#include <QTest>

#include "platform/local_time.h"
#include "ui/text/size_time_text.h"
#include "ui_test_main.h"

using namespace quen::ui;

class SkinTextTest : public QObject {
    Q_OBJECT
private slots:
    void sizes_change_unit_at_each_power_of_1024() {
        QCOMPARE(size_text(0), std::string("0.0 B"));
        QCOMPARE(size_text(1023), std::string("1023.0 B"));
        QCOMPARE(size_text(1024), std::string("1.0 KB"));
        QCOMPARE(size_text(1536), std::string("1.5 KB"));
        QCOMPARE(size_text(1048575), std::string("1024.0 KB"));
        QCOMPARE(size_text(1048576), std::string("1.0 MB"));
        QCOMPARE(size_text(uint64_t{1} << 30), std::string("1.0 GB"));
        QCOMPARE(size_text(UINT64_MAX), std::string("17179869184.0 GB"));
    }

    void times_out_of_range_are_the_start_of_1970() {
        const std::string epoch = quen::platform::local_time_text("%Y-%m-%d %H:%M:%S", 0);
        QCOMPARE(time_text(-1, "%Y-%m-%d %H:%M:%S"), epoch);
        QCOMPARE(time_text(32535194400, "%Y-%m-%d %H:%M:%S"), epoch);
        QVERIFY(time_text(32535194399, "%Y-%m-%d %H:%M:%S") != epoch);
        QCOMPARE(time_text_from_millis("1999"), quen::platform::local_time_text("%Y-%m-%d %H:%M:%S", 1));
        // Never more than 19 characters, whatever the pattern.
        QCOMPARE(time_text(0, "%Y-%m-%d %H:%M:%S and more").size(), size_t{19});
    }

    void text_is_printable_ascii_or_well_formed_utf8() {
        auto is_text = [](const std::string& s) { return is_utf8_text(reinterpret_cast<const uint8_t*>(s.data()), s.size()); };
        QVERIFY(is_text("plain\ttext\r\n"));
        QVERIFY(is_text("K\xC3\xB6ln \xE4\xB8\xAD \xF0\x9F\x98\x80"));
        QVERIFY(!is_text(std::string("a\0b", 3)));
        QVERIFY(!is_text("\x7F"));
        QVERIFY(!is_text("\xED\xA0\x80"));  // a surrogate
        QVERIFY(!is_text("\xC0\xAF"));      // overlong
        QVERIFY(!is_text("\xE4\xB8"));      // cut off by the end
        QVERIFY(!is_utf8_text(nullptr, 0));
    }
};

QUEN_UI_TEST(SkinTextTest);
#include "skin_text_test.moc"
