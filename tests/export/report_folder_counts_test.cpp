// The count in the messages folder's name is that of the threads written,
// the checked ones, not of every thread in the list.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "export/report_folders.h"
#include "export_fixtures.h"

namespace quen::exports {
namespace {

using test::message;
using test::read_file;
using test::shipped_template;
using test::TempDir;

TEST(ReportFolderCounts, UncheckedThreadsAreNotCounted) {
    TempDir dir{"quen-export-counts"};
    records::ThreadRecord first, second, left_out;
    first.address = "+100";
    first.messages = {message(1, "2024-01-01 00:00:00", "first")};
    second.address = "+200";
    second.messages = {message(2, "2024-01-02 00:00:00", "second")};
    left_out.address = "+300";
    left_out.messages = {message(1, "2024-01-03 00:00:00", "not chosen")};
    left_out.checked = false;

    const PhoneReports r = write_phone_reports({}, {&first, &left_out, &second},
                                               dir.path(), "20240131235959", shipped_template());
    ASSERT_TRUE(r.ok) << r.error;
    const auto root = std::filesystem::path(r.output_folder);
    EXPECT_EQ(r.messages_page, (root / "Messages (2)" / "Messages.html").string());
    EXPECT_FALSE(std::filesystem::exists(root / "Messages (3)"));
    const std::string page = read_file(r.messages_page);
    EXPECT_NE(page.find("second"), std::string::npos);
    EXPECT_EQ(page.find("not chosen"), std::string::npos);
}

}  // namespace
}  // namespace quen::exports
