// Filling the template: markers, line ends, and what happens on failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "export/report_page.h"
#include "export_fixtures.h"

namespace quen::exports {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

TEST(ReportPage, ReplacesFirstMarkersAndWritesCrLfLineEnds) {
    // Mixed line ends in the template, a lone CR, and a second copy of each marker.
    const std::string tpl =
        "<html><head><title></title></head>\r\n<body>\n<script>\r\nvar data = [];\n"
        "show(data);\r</script>\n<!-- var data = []; <title></title> -->\n</body></html>";
    std::string page;
    ASSERT_TRUE(exports::build_report_page(tpl, "Contacts", R"([["a"]])", page));
    EXPECT_EQ(page,
              "<html><head><title>Contacts</title></head>\r\n<body>\r\n<script>\r\n"
              "var data = [[\"a\"]];\r\nshow(data);\r</script>\r\n"
              "<!-- var data = []; <title></title> -->\r\n</body></html>");
}

TEST(ReportPage, TitleMarkerIsSearchedAfterTheDataIsIn) {
    // With the title marker only after the script, the first one in the result
    // is still the template's own: the data cannot carry one ("<" is escaped).
    std::string page;
    ASSERT_TRUE(exports::build_report_page("var data = [];<title></title>", "Messages",
                                  R"([["\u003Ctitle>\u003C/title>"]])", page));
    EXPECT_EQ(page, R"(var data = [["\u003Ctitle>\u003C/title>"]];<title>Messages</title>)");
}

TEST(ReportPage, MissingMarkersWriteNothing) {
    std::string page = "old";
    EXPECT_FALSE(exports::build_report_page("<title></title> var data = [1];", "T", "[]", page));
    EXPECT_TRUE(page.empty());
    EXPECT_FALSE(exports::build_report_page("var data = []; <title>x</title>", "T", "[]", page));
    EXPECT_TRUE(page.empty());

    TempDir dir{"quen-export"};
    write_file(dir / "bad.html", "<html><title></title></html>");
    const std::string out = (dir / "out.html").string();
    EXPECT_EQ(exports::write_report_page("T", "[]", (dir / "bad.html").string(), out),
              exports::ReportStatus::TemplateInvalid);
    EXPECT_EQ(exports::write_report_page("T", "[]", (dir / "absent.html").string(), out),
              exports::ReportStatus::TemplateMissing);
    EXPECT_EQ(exports::write_report_page("T", "[]", "", out), exports::ReportStatus::TemplateMissing);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(ReportPage, RewriteReplacesTheEarlierPage) {
    TempDir dir{"quen-export"};
    const auto tpl = dir / "template.html";
    // Longer than one 255-byte read piece, so the pieces must join up.
    const std::string filler(700, 'x');
    write_file(tpl, "<title></title>\n" + filler + "\nvar data = [];\n");
    const std::string out = (dir / "Contacts.html").string();

    ASSERT_EQ(exports::write_report_page("Contacts", R"([["first page, longer"]])", tpl.string(), out),
              exports::ReportStatus::Written);
    ASSERT_EQ(exports::write_report_page("Contacts", R"([["2nd"]])", tpl.string(), out),
              exports::ReportStatus::Written);
    EXPECT_EQ(read_file(out),
              "<title>Contacts</title>\r\n" + filler + "\r\nvar data = [[\"2nd\"]];\r\n");
    // Only the page: no temporary file is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2);
}

TEST(ReportPage, UnwritableOutputFailsAndKeepsNothingBehind) {
    TempDir dir{"quen-export"};
    const auto tpl = dir / "template.html";
    write_file(tpl, "<title></title>var data = [];");
    // The output folder does not exist.
    EXPECT_EQ(exports::write_report_page("T", "[]", tpl.string(), (dir / "no/such/out.html").string()),
              exports::ReportStatus::WriteFailed);
    // The output path is a folder: the folder stays and no temp file is left.
    std::filesystem::create_directory(dir / "taken.html");
    EXPECT_EQ(exports::write_report_page("T", "[]", tpl.string(), (dir / "taken.html").string()),
              exports::ReportStatus::WriteFailed);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.html"));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2);
}

}  // namespace
}  // namespace quen::exports
