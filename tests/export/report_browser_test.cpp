// The written pages in a real browser: headless Chromium loads them from
// file:// and the test reads the DOM after the page's script has run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "export/report_folders.h"
#include "export_fixtures.h"

namespace quen::exports {
namespace {

using test::message;
using test::read_file;
using test::shipped_template;
using test::TempDir;

constexpr const char* kChromium = "/usr/bin/chromium";

std::string file_url(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url.push_back(static_cast<char>(c));
        } else {
            url.push_back('%');
            url.push_back(hex[c >> 4]);
            url.push_back(hex[c & 15]);
        }
    }
    return url;
}

// The DOM of the page after load, as Chromium serialises it; empty on failure.
std::string rendered_dom(const std::string& page, const TempDir& work, const std::string& hash = {}) {
    static int serial = 0;
    const std::string profile = (work / ("profile" + std::to_string(serial))).string();
    const std::string out = (work / ("dom" + std::to_string(serial++) + ".html")).string();
    const std::string command = std::string("timeout 60 ") + kChromium +
                                " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                                " --disable-background-networking --disable-component-update"
                                " --disable-sync --user-data-dir='" + profile + "' --dump-dom '" +
                                file_url(page) + hash + "' > '" + out + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return {};
    return read_file(out);
}

// The class attribute of every data row, in document order.
std::vector<std::string> row_classes(const std::string& dom) {
    std::vector<std::string> out;
    static const std::regex row(R"re(<tr class="(row[^"]*)")re");
    for (auto it = std::sregex_iterator(dom.begin(), dom.end(), row); it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1]);
    return out;
}

bool has_class(const std::string& classes, const std::string& name) {
    return (" " + classes + " ").find(" " + name + " ") != std::string::npos;
}

class ReportInBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kChromium, X_OK) != 0) GTEST_SKIP() << kChromium << " is not installed";

        gone.deleted = true;
        gone.name = "Old Friend";
        gone.phone = "+15550100";
        ann.name = "Zoë <b>bold</b>";
        ann.phone = "+15550111|+15550112";
        ann.email = "ann@example.org";
        bob.name = "Bob";

        lost.deleted = true;
        lost.name = "Old Friend";
        lost.address = "+15550100";
        lost.messages = {message(1, "2024-01-01 10:00:00", "see you\nat five"),
                         message(2, "2024-01-01 10:05:00", "</script><img src=x onerror=alert(1)>")};
        kept.address = "+15550111";
        kept.messages = {message(2, "2024-01-02 09:00:00", "hello Ann")};

        reports = exports::write_phone_reports({&gone, &ann, &bob}, {&lost, &kept}, work.path(), "20240131235959",
                                               shipped_template());
        ASSERT_TRUE(reports.ok) << reports.error;
    }

    TempDir work{"quen-report"};
    records::ContactRecord gone, ann, bob;
    records::ThreadRecord lost, kept;
    exports::PhoneReports reports;
};

TEST_F(ReportInBrowser, ContactsPageShowsOneRowPerContactWithDeletedMarked) {
    ASSERT_NE(reports.contacts_page.find("/Contacts (3)/Contacts.html"), std::string::npos);
    const std::string dom = rendered_dom(reports.contacts_page, work);
    ASSERT_FALSE(dom.empty()) << "chromium gave no DOM";

    const std::vector<std::string> rows = row_classes(dom);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(has_class(rows[0], "deleted"));
    EXPECT_FALSE(has_class(rows[1], "deleted"));
    EXPECT_FALSE(has_class(rows[2], "deleted"));
    EXPECT_NE(dom.find("<title>Contacts</title>"), std::string::npos);
    // A name holding markup shows as text, UTF-8 intact; no <b> element is made.
    EXPECT_NE(dom.find("Zoë &lt;b&gt;bold&lt;/b&gt;"), std::string::npos);
    EXPECT_EQ(dom.find("<b>"), std::string::npos);
    EXPECT_NE(dom.find("ann@example.org"), std::string::npos);
}

TEST_F(ReportInBrowser, MessagesPageGroupsMessagesAndKeepsScriptTextInert) {
    ASSERT_NE(reports.messages_page.find("/Messages (2)/Messages.html"), std::string::npos);
    const std::string dom = rendered_dom(reports.messages_page, work);
    ASSERT_FALSE(dom.empty()) << "chromium gave no DOM";

    // Thread row, its messages, next thread row, its message.
    const std::vector<std::string> rows = row_classes(dom);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(has_class(rows[0], "thread") && has_class(rows[0], "deleted"));
    EXPECT_TRUE(has_class(rows[1], "message") && !has_class(rows[1], "deleted"));
    EXPECT_TRUE(has_class(rows[2], "message"));
    EXPECT_TRUE(has_class(rows[3], "thread") && !has_class(rows[3], "deleted"));
    EXPECT_TRUE(has_class(rows[4], "message"));
    const size_t groups = [&] {
        size_t n = 0;
        for (size_t at = dom.find("<tbody class=\"group"); at != std::string::npos;
             at = dom.find("<tbody class=\"group", at + 1))
            ++n;
        return n;
    }();
    EXPECT_EQ(groups, 2u);

    // The body that tries to close the script shows as text; no element comes of it.
    EXPECT_NE(dom.find("&lt;/script&gt;&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
    EXPECT_EQ(dom.find("<img"), std::string::npos);
    EXPECT_NE(dom.find("see you\nat five"), std::string::npos);
}

TEST_F(ReportInBrowser, SearchFromTheAddressHidesGroupsThatDoNotMatch) {
    const std::string dom = rendered_dom(reports.messages_page, work, "#search=five");
    ASSERT_FALSE(dom.empty()) << "chromium gave no DOM";
    // The first thread matches through one message: that message stays, the
    // other one is hidden; the second thread is hidden whole.
    const std::vector<std::string> rows = row_classes(dom);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_FALSE(has_class(rows[0], "hidden"));
    EXPECT_FALSE(has_class(rows[1], "hidden"));
    EXPECT_TRUE(has_class(rows[2], "hidden"));
    EXPECT_NE(dom.find("<tbody class=\"group hidden\""), std::string::npos);
    EXPECT_NE(dom.find("1 of 2 shown"), std::string::npos);
}

}  // namespace
}  // namespace quen::exports
