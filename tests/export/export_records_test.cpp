// Contacts and messages to report pages, and the folders of a recovery.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "export/export_contacts.h"
#include "export/export_messages.h"
#include "export/report_folders.h"
#include "export_fixtures.h"

namespace quen::exports {
namespace {

using test::message;
using test::read_file;
using test::shipped_template;
using test::TempDir;
using test::write_file;

// The statement line of a written page, without its CR LF.
std::string data_statement(const std::string& page) {
    const size_t at = page.find("var data = [[");
    if (at == std::string::npos) return {};
    return page.substr(at, page.find("\r\n", at) - at);
}

TEST(ContactReport, RowsFollowTheListAndLeaveSipOut) {
    records::ContactRecord live;
    live.name = "Ann|Annie";
    live.phone = "123|456";
    live.email = "a@x.org";
    live.note = "note";
    live.organization = "Org";
    live.postal_address = "Street 1";
    live.im = "ann_im";
    live.nickname = "Nan";
    live.website = "http://ann/";
    live.others = "Family";
    live.sip_address = "sip:ann@x";
    records::ContactRecord gone;
    gone.deleted = true;
    const records::ContactList list = {&gone, &live};

    const exports::RowTable rows = exports::contact_rows(list);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (exports::ReportRow{"1", "Yes", "", "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(rows[2], (exports::ReportRow{"2", "No", "Ann|Annie", "123|456", "a@x.org", "note", "Org",
                                  "Street 1", "ann_im", "Nan", "http://ann/", "Family"}));
    for (const exports::ReportRow& row : rows) EXPECT_EQ(row.size(), 12u);
}

TEST(MessageReport, ThreadRowThenItsMessagesInOrder) {
    records::ThreadRecord t;
    t.deleted = true;
    t.name = "Ann";
    t.address = "+15550100";
    t.messages = {message(1, "2024-01-01 10:00:00", "hello"), message(2, "2024-01-01 10:01:00", "hi"),
                  message(5, "2024-01-01 10:02:00", "queued")};
    t.messages[0].deleted = true;
    records::ThreadRecord empty_thread;
    empty_thread.address = "999";
    const records::ThreadList list = {&t, &empty_thread};

    const exports::RowTable rows = exports::message_rows(list);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], (exports::ReportRow{"ID", "Deleted", "Name", "Phone Number", "Message", "Date Time",
                                  "Type", "Text"}));
    EXPECT_EQ(rows[1], (exports::ReportRow{"1", "Yes", "Ann", "+15550100", "->", "-", "-", "-"}));
    EXPECT_EQ(rows[2], (exports::ReportRow{"", "", "", "", "->", "2024-01-01 10:00:00", "Received", "hello"}));
    EXPECT_EQ(rows[3], (exports::ReportRow{"", "", "", "", "->", "2024-01-01 10:01:00", "Sent", "hi"}));
    EXPECT_EQ(rows[4][6], "Sent");
    EXPECT_EQ(rows[5], (exports::ReportRow{"2", "No", "", "999", "->", "-", "-", "-"}));
}

TEST(ContactReport, PageHoldsTheExactStatementAndTitle) {
    TempDir dir{"quen-export"};
    records::ContactRecord gone;
    gone.deleted = true;
    const records::ContactList list = {&gone};
    ASSERT_EQ(exports::export_contacts(exports::ContactExport(list, dir.path(), shipped_template())),
              exports::ReportStatus::Written);
    const std::string page = read_file(dir / "Contacts.html");
    EXPECT_EQ(data_statement(page),
              R"(var data = [["ID","Deleted","Name","Phone","Email","Note","Organization",)"
              R"("Address","IM","Nickname","Website","Others"],["1","Yes","","","","","","","","","",""]];)");
    EXPECT_NE(page.find("<title>Contacts</title>"), std::string::npos);
    EXPECT_EQ(page.find("var data = [];"), std::string::npos);
    // Every line ends with CR LF: no bare LF anywhere.
    for (size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\n') {
            ASSERT_TRUE(i > 0 && page[i - 1] == '\r') << "bare LF at " << i;
        }
    }
}

TEST(MessageReport, PageEscapesBodiesAndReplacesTheEarlierOne) {
    TempDir dir{"quen-export"};
    records::ThreadRecord t;
    t.name = "Zoë \"Z\" O\\Brien";
    t.address = "+15550100";
    t.messages = {message(1, "2024-01-01 10:00:00", "line one\nline two </script> a/b \x1B")};
    const records::ThreadList list = {&t};
    ASSERT_EQ(exports::export_messages(exports::MessageExport(list, dir.path(), shipped_template())),
              exports::ReportStatus::Written);
    std::string statement = data_statement(read_file(dir / "Messages.html"));
    EXPECT_NE(statement.find(R"(["1","No","Zoë \"Z\" O\\Brien","+15550100","->","-","-","-"])"),
              std::string::npos)
        << statement;
    EXPECT_NE(statement.find(R"("line one\nline two \u003C/script> a/b \u001B"])"),
              std::string::npos)
        << statement;

    t.messages[0].body = "second run";
    ASSERT_EQ(exports::export_messages(exports::MessageExport(list, dir.path(), shipped_template())),
              exports::ReportStatus::Written);
    statement = data_statement(read_file(dir / "Messages.html"));
    EXPECT_NE(statement.find("second run"), std::string::npos);
    EXPECT_EQ(statement.find("line one"), std::string::npos);
}

TEST(Reports, EmptyListsWriteNothingAndBadTemplatesFail) {
    TempDir dir{"quen-export"};
    EXPECT_EQ(exports::export_contacts(exports::ContactExport({}, dir.path(), shipped_template())), exports::ReportStatus::Nothing);
    EXPECT_EQ(exports::export_messages(exports::MessageExport({}, dir.path(), shipped_template())), exports::ReportStatus::Nothing);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    records::ContactRecord c;
    const records::ContactList list = {&c};
    write_file(dir / "template.html", "<html>no markers</html>");
    EXPECT_EQ(exports::export_contacts(exports::ContactExport(list, dir.path(), (dir / "template.html").string())),
              exports::ReportStatus::TemplateInvalid);
    EXPECT_FALSE(std::filesystem::exists(dir / "Contacts.html"));
}

TEST(ReportFolders, NamesFollowTheTreeLabels) {
    EXPECT_EQ(exports::output_folder_name("20240131235959"), "Retrivane20240131235959");
    EXPECT_EQ(exports::counted_label("Contacts", 128), "Contacts (128)");
    EXPECT_EQ(exports::report_folder_name("Contacts (25)", 12), "Contacts (12)");
    EXPECT_EQ(exports::report_folder_name("Message (10)", 3), "Message (3)");
    EXPECT_EQ(exports::report_folder_name("Contacts", 2), "Contacts(2)");
}

TEST(ReportFolders, PhoneReportsWriteCheckedRecordsIntoCountedFolders) {
    TempDir dir{"quen-export"};
    records::ContactRecord a, b, c;
    a.name = "A";
    b.name = "B";
    b.checked = false;
    c.name = "C";
    c.deleted = true;
    records::ThreadRecord with_message, without_messages;
    with_message.address = "1";
    with_message.messages = {message(1, "2024-01-01 00:00:00", "x")};
    without_messages.address = "2";
    const records::ContactList contacts = {&c, &a, &b};
    const records::ThreadList threads = {&with_message, &without_messages};

    const exports::PhoneReports r =
        exports::write_phone_reports(contacts, threads, dir.path(), "20240131235959", shipped_template());
    ASSERT_TRUE(r.ok) << r.error;
    const auto root = dir / "Retrivane20240131235959";
    EXPECT_EQ(r.output_folder, root.string());
    EXPECT_EQ(r.contacts_page, (root / "Contacts (2)" / "Contacts.html").string());
    EXPECT_EQ(r.messages_page, (root / "Messages (2)" / "Messages.html").string());
    const std::string contacts_page = read_file(r.contacts_page);
    EXPECT_NE(contacts_page.find(R"(["1","Yes","C",)"), std::string::npos);
    EXPECT_NE(contacts_page.find(R"(["2","No","A",)"), std::string::npos);
    EXPECT_EQ(contacts_page.find(R"("B")"), std::string::npos);
    EXPECT_NE(read_file(r.messages_page).find(R"(["2","No","","2","->","-","-","-"])"),
              std::string::npos);

    // Nothing checked in a kind: no folder for it; an existing output folder is fine.
    a.checked = c.checked = false;
    const exports::PhoneReports again =
        exports::write_phone_reports(contacts, threads, dir.path(), "20240131235959", shipped_template());
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_TRUE(again.contacts_page.empty());
    EXPECT_FALSE(again.messages_page.empty());
}

TEST(ReportFolders, PhoneReportsFailWithoutTemplateBeforeMakingFolders) {
    TempDir dir{"quen-export"};
    records::ContactRecord a;
    const records::ContactList contacts = {&a};
    const exports::PhoneReports r = exports::write_phone_reports(contacts, {}, dir.path(), "20240131235959",
                                               (dir / "absent.html").string());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("absent.html"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    EXPECT_FALSE(exports::write_phone_reports(contacts, {}, "", "1", shipped_template()).ok);
}

}  // namespace
}  // namespace quen::exports
