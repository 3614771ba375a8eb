// The files that phones, address books and spreadsheets import: each written
// here and read back by a parser that is not ours, with values in several
// scripts and the bytes that break naive writers.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <stdlib.h>
#include <time.h>

#include <map>
#include <string>
#include <vector>

#include "export/csv_file.h"
#include "export/file_output.h"
#include "export/sms_backup_xml.h"
#include "export/vcard_file.h"
#include "export_fixtures.h"
#include "read_back.h"

namespace quen::exports {
namespace {

using test::read_back;
using test::TempDir;
using test::text;
using Strings = std::vector<std::string>;

constexpr const char* kFFFD = "\xEF\xBF\xBD";

std::string saved(const TempDir& dir, const std::string& name, const std::string& bytes) {
    const std::string path = (dir / name).string();
    EXPECT_TRUE(write_file_replacing(path, bytes));
    return path;
}

Strings texts(const rapidjson::Value& object, const char* key) {
    Strings out;
    if (!object.HasMember(key)) return out;
    for (const auto& item : object[key].GetArray()) out.push_back(item.IsString() ? text(item) : "<not one text>");
    return out;
}

// Each component of each structured value (N, ADR) must be one text; a list
// here means a "," went out unescaped.
std::vector<Strings> structured(const rapidjson::Value& card, const char* key) {
    std::vector<Strings> out;
    if (!card.HasMember(key)) return out;
    for (const auto& value : card[key].GetArray()) {
        Strings parts;
        for (const auto& part : value.GetArray()) parts.push_back(part.IsString() ? text(part) : "<a list>");
        out.push_back(parts);
    }
    return out;
}

TEST(VcardFile, LinesFoldAt75OctetsBetweenCharactersAndEscapes) {
    // 74 octets, then an escape pair that would end at octet 76.
    const std::string folded = vcard_line("NOTE", std::string(69, 'a') + "\\,b");
    EXPECT_EQ(folded, "NOTE:" + std::string(69, 'a') + "\r\n \\,b\r\n");

    // Three-octet characters: the first line holds "FN:" and 24 of them (75
    // octets), every further line a blank and 24 more (73 octets).
    std::string name;
    for (int i = 0; i < 60; ++i) name += "龍";
    const std::string lines = vcard_line("FN", name);
    std::string expected = "FN:";
    for (int i = 0; i < 60; ++i) {
        if (i > 0 && i % 24 == 0) expected += "\r\n ";
        expected += "龍";
    }
    EXPECT_EQ(lines, expected + "\r\n");

    EXPECT_EQ(vcard_escape("a;b,c\\d\ne\r\nf\rg\th"), "a\\;b\\,c\\\\d\\ne\\nf\\ng\th");
}

TEST(VcardFile, EveryContactAndValueReadsBackWithVobject) {
    records::ContactRecord ivan;
    ivan.name = "Иван Петров|Ivan Petrov";
    ivan.nickname = "Ваня";
    ivan.phone = "+7 912 345-67-89|8 (912) 3456789";
    ivan.email = "ivan@example.org";
    ivan.organization = "ООО «Ромашка»; отдел, продаж";
    ivan.postal_address = "ул. Ленина 1, кв. 2\nМосква";
    ivan.im = "ivan_im";
    ivan.sip_address = "sip:ivan@voip.example";
    ivan.website = "https://example.org/a,b;c";
    std::string long_note = "semi; comma, back\\slash\nnew line ";
    for (int i = 0; i < 30; ++i) long_note += "李小龍🎉";
    ivan.note = long_note + "|second note";
    ivan.others = "Family|1990-05-17";

    records::ContactRecord arabic;
    arabic.deleted = true;
    arabic.name = "محمد علي";
    arabic.phone = "+20 100 000 0000";

    records::ContactRecord nameless;
    nameless.deleted = true;
    nameless.phone = "0436 126036";

    records::ContactRecord broken;  // bytes rebuilt from free space need not be text
    broken.name = "Bad\xFFName\x01";
    broken.note = "a\r\nb\x1B";

    const records::ContactList list = {&arabic, &nameless, &ivan, nullptr, &broken};
    TempDir dir{"quen-vcf"};
    rapidjson::Document doc;
    read_back("vcf", saved(dir, "Contacts.vcf", vcard_text(list)), doc);
    if (HasFatalFailure()) return;
    ASSERT_EQ(doc.Size(), 4u);

    const auto& a = doc[0];
    EXPECT_EQ(texts(a, "version"), Strings{"3.0"});
    EXPECT_EQ(texts(a, "fn"), Strings{"محمد علي"});
    EXPECT_EQ(structured(a, "n"), (std::vector<Strings>{{"محمد علي", "", "", "", ""}}));
    EXPECT_EQ(texts(a, "tel"), Strings{"+20 100 000 0000"});

    const auto& n = doc[1];
    EXPECT_EQ(texts(n, "fn"), Strings{""});
    EXPECT_EQ(texts(n, "tel"), Strings{"0436 126036"});
    EXPECT_FALSE(n.HasMember("note"));

    const auto& i = doc[2];
    EXPECT_EQ(texts(i, "fn"), Strings{"Иван Петров"});
    EXPECT_EQ(structured(i, "n"), (std::vector<Strings>{{"Иван Петров", "", "", "", ""}}));
    EXPECT_EQ(texts(i, "nickname"), (Strings{"Ivan Petrov", "Ваня"}));
    EXPECT_EQ(texts(i, "tel"), (Strings{"+7 912 345-67-89", "8 (912) 3456789"}));
    EXPECT_EQ(texts(i, "email"), Strings{"ivan@example.org"});
    EXPECT_EQ(structured(i, "org"), (std::vector<Strings>{{"ООО «Ромашка»; отдел, продаж"}}));
    EXPECT_EQ(structured(i, "adr"), (std::vector<Strings>{{"", "", "ул. Ленина 1, кв. 2\nМосква", "", "", "", ""}}));
    EXPECT_EQ(texts(i, "impp"), Strings{"ivan_im"});
    EXPECT_EQ(texts(i, "x-sip"), Strings{"sip:ivan@voip.example"});
    EXPECT_EQ(texts(i, "url"), Strings{"https://example.org/a,b;c"});
    EXPECT_EQ(texts(i, "note"), (Strings{long_note, "second note"}));
    EXPECT_EQ(texts(i, "x-quenfora-other"), (Strings{"Family", "1990-05-17"}));

    const auto& b = doc[3];
    EXPECT_EQ(texts(b, "fn"), Strings{std::string("Bad") + kFFFD + "Name" + kFFFD});
    EXPECT_EQ(texts(b, "note"), Strings{std::string("a\nb") + kFFFD});
}

TEST(SmsBackupXml, ReadableDateIsTheAppsUsFormInLocalTime) {
    const char* old_tz = getenv("TZ");
    const std::string saved_tz = old_tz ? old_tz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(readable_date(1700012951359), "Nov 15, 2023 1:49:11 AM");
    EXPECT_EQ(readable_date(1704110400000), "Jan 1, 2024 12:00:00 PM");
    EXPECT_EQ(readable_date(1704067200000), "Jan 1, 2024 12:00:00 AM");
    EXPECT_EQ(readable_date(1704153599999), "Jan 1, 2024 11:59:59 PM");
    EXPECT_EQ(readable_date(-1), "Dec 31, 1969 11:59:59 PM");
    if (old_tz) setenv("TZ", saved_tz.c_str(), 1);
    else unsetenv("TZ");
    tzset();
}

TEST(SmsBackupXml, ParsesWithExpatToTheRecordsWhateverTheBodies) {
    records::ThreadRecord korean;
    korean.name = "김민준|Kim";
    korean.address = "+82 10-1234-5678";
    korean.messages = {test::message(1, "", "<b> & \"quoted\" 'single'\nline\ttab\r\nend\x01\x1B\x7F"),
                       test::message(2, "", std::string("emoji 🎉, U+FFFF \xEF\xBF\xBF, bad \xC3, nul ") + '\0' + " here"),
                       test::message(5, "", "")};
    for (auto& message : korean.messages) message.address = korean.address;
    korean.messages[0].date_millis = 1700012951359;
    korean.messages[1].date_millis = 1700014009360;
    korean.messages[2].date_millis = 9000000000000000000;  // rebuilt from free space: any number
    records::ThreadRecord unknown;
    unknown.address = "O'Brien & <Co>";
    unknown.messages = {test::message(1, "", "שלום, מה שלומך?")};
    unknown.messages[0].address = unknown.address;
    unknown.messages[0].date_millis = 1500000000000;
    unknown.deleted = true;

    TempDir dir{"quen-xml"};
    rapidjson::Document doc;
    read_back("xml", saved(dir, "Messages.xml", sms_backup_xml({&korean, nullptr, &unknown})), doc);
    if (HasFatalFailure()) return;
    EXPECT_EQ(doc["declaration"][0].GetString(), std::string("1.0"));
    EXPECT_EQ(doc["declaration"][1].GetString(), std::string("UTF-8"));
    EXPECT_EQ(doc["declaration"][2].GetInt(), 1);  // standalone='yes'
    EXPECT_EQ(text(doc["count"]), "4");
    const auto& sms = doc["sms"];
    ASSERT_EQ(sms.Size(), 4u);

    struct Expected {
        std::string address, date, type, body, contact_name;
    };
    const Expected expected[] = {
        {"+82 10-1234-5678", "1700012951359", "1",
         std::string("<b> & \"quoted\" 'single'\nline\ttab\r\nend") + kFFFD + kFFFD + kFFFD, "김민준"},
        {"+82 10-1234-5678", "1700014009360", "2",
         std::string("emoji 🎉, U+FFFF ") + kFFFD + ", bad " + kFFFD + ", nul " + kFFFD + " here", "김민준"},
        {"+82 10-1234-5678", "0", "5", "", "김민준"},
        {"O'Brien & <Co>", "1500000000000", "1", "שלום, מה שלומך?", "(Unknown)"},
    };
    for (rapidjson::SizeType k = 0; k < sms.Size(); ++k) {
        const auto& m = sms[k];
        EXPECT_EQ(text(m["address"]), expected[k].address) << k;
        EXPECT_EQ(text(m["date"]), expected[k].date) << k;
        EXPECT_EQ(text(m["type"]), expected[k].type) << k;
        EXPECT_EQ(text(m["body"]), expected[k].body) << k;
        EXPECT_EQ(text(m["contact_name"]), expected[k].contact_name) << k;
        EXPECT_EQ(text(m["readable_date"]), readable_date(std::stoll(expected[k].date))) << k;
        for (const auto& [key, value] :
             {std::pair{"protocol", "0"}, {"read", "1"}, {"status", "-1"}, {"locked", "0"}, {"date_sent", "0"}})
            EXPECT_EQ(text(m[key]), value) << key;
    }
}

TEST(CsvFile, RowsReadBackWithPythonsCsvModule) {
    records::ContactRecord zoe;
    zoe.name = "Zoë \"Z\" Brontë";
    zoe.phone = "+49 171 5550100|0171 5550101";
    zoe.note = "line one\r\nline two, \"quoted\"";
    zoe.sip_address = "sip:zoe@x";
    records::ContactRecord gone;
    gone.deleted = true;
    gone.name = "李小龍";
    gone.others = "=cmd|' /C calc'!A0";

    records::ThreadRecord thread;
    thread.name = "Ελένη Παπαδοπούλου";
    thread.address = "+30 69 1234 5678";
    thread.messages = {test::message(1, "2024-01-01 10:00:00", "=HYPERLINK(\"http://x\",\"y\")"),
                       test::message(2, "2024-01-01 10:01:00", "-2"),
                       test::message(6, "2024-01-01 10:02:00", std::string("@SUM(1)\nnul ") + '\0' + "!")};
    thread.messages[1].deleted = true;

    TempDir dir{"quen-csv"};
    rapidjson::Document contacts, messages;
    read_back("csv", saved(dir, "Contacts.csv", csv_text(contact_csv_rows({&gone, &zoe}))), contacts);
    read_back("csv", saved(dir, "Messages.csv", csv_text(message_csv_rows({&thread}))), messages);
    if (HasFatalFailure()) return;

    auto rows = [](const rapidjson::Value& doc) {
        std::vector<Strings> out;
        for (const auto& row : doc.GetArray()) {
            out.emplace_back();
            for (const auto& cell : row.GetArray()) out.back().push_back(text(cell));
        }
        return out;
    };
    EXPECT_EQ(rows(contacts),
              (std::vector<Strings>{
                  {"ID", "Deleted", "Name", "Phone", "Email", "Note", "Organization", "Address", "IM", "Nickname",
                   "Website", "Others", "SIP Address"},
                  {"1", "Yes", "李小龍", "", "", "", "", "", "", "", "", "'=cmd|' /C calc'!A0", ""},
                  {"2", "No", "Zoë \"Z\" Brontë", "+49 171 5550100|0171 5550101", "", "line one\r\nline two, \"quoted\"",
                   "", "", "", "", "", "", "sip:zoe@x"}}));
    EXPECT_EQ(rows(messages),
              (std::vector<Strings>{
                  {"Thread", "Deleted", "Name", "Phone Number", "Date Time", "Type", "Text"},
                  {"1", "No", "Ελένη Παπαδοπούλου", "+30 69 1234 5678", "2024-01-01 10:00:00", "Received",
                   "'=HYPERLINK(\"http://x\",\"y\")"},
                  {"1", "Yes", "Ελένη Παπαδοπούλου", "+30 69 1234 5678", "2024-01-01 10:01:00", "Sent", "-2"},
                  {"1", "No", "Ελένη Παπαδοπούλου", "+30 69 1234 5678", "2024-01-01 10:02:00", "Sent",
                   std::string("'@SUM(1)\nnul ") + kFFFD + "!"}}));
}

}  // namespace
}  // namespace quen::exports
