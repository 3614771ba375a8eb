// Saving contacts and messages in the chosen formats, into the folders the
// recovery makes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/export_formats.h"
#include "export/kind_folder.h"
#include "export/report_folders.h"
#include "export_fixtures.h"

namespace quen::exports {
namespace {

namespace fs = std::filesystem;
using test::message;
using test::shipped_template;
using test::TempDir;

ExportFormats formats(const std::string& list) {
    std::string error;
    const auto parsed = parse_export_formats(list, error);
    EXPECT_TRUE(parsed.has_value()) << error;
    return parsed.value_or(ExportFormats::none());
}

std::vector<std::string> names(const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    for (const auto& path : paths)
        out.push_back(fs::path(path).parent_path().filename().string() + "/" + fs::path(path).filename().string());
    return out;
}

TEST(ExportFormats, ListsOfNamesAndTheirMistakes) {
    const ExportFormats html_csv = formats(" csv , html,csv");
    EXPECT_TRUE(html_csv.has(ExportFormat::Html));
    EXPECT_TRUE(html_csv.has(ExportFormat::Csv));
    EXPECT_FALSE(html_csv.has(ExportFormat::Vcard));
    EXPECT_FALSE(html_csv.has(ExportFormat::SmsXml));
    EXPECT_EQ(formats("html,vcf,xml,csv"), ExportFormats::all());
    EXPECT_FALSE(formats("vcf").writes_messages());
    EXPECT_FALSE(formats("xml").writes_contacts());

    for (const char* bad : {"", "html,pdf", "vcf,,xml", "HTML"}) {
        std::string error;
        EXPECT_FALSE(parse_export_formats(bad, error).has_value()) << bad;
        EXPECT_NE(error.find("html, vcf, xml, csv"), std::string::npos) << error;
    }
    std::string error;
    parse_export_formats("html,pdf", error);
    EXPECT_NE(error.find("\"pdf\""), std::string::npos) << error;
}

class SavedRecords : public ::testing::Test {
protected:
    SavedRecords() {
        ann.name = "Ann";
        ann.phone = "123";
        bob.name = "Bob";
        bob.checked = false;
        thread.address = "123";
        thread.messages = {message(1, "2024-01-01 00:00:00", "hi")};
    }
    records::ContactRecord ann, bob;
    records::ThreadRecord thread;
    const records::ContactList contacts{&ann, &bob};
    const records::ThreadList threads{&thread};
    TempDir dir{"quen-kind-folder"};
};

TEST_F(SavedRecords, EveryFormatBesideThePagesInTheCountedFolders) {
    const PhoneReports all = write_phone_reports(contacts, threads, dir.path(), "20240131235959", shipped_template());
    ASSERT_TRUE(all.ok) << all.error;
    EXPECT_EQ(names(all.files),
              (std::vector<std::string>{"Contacts (1)/Contacts.html", "Contacts (1)/Contacts.vcf",
                                        "Contacts (1)/Contacts.csv", "Messages (1)/Messages.html",
                                        "Messages (1)/Messages.xml", "Messages (1)/Messages.csv"}));
    for (const auto& path : all.files) EXPECT_GT(fs::file_size(path), 0u) << path;
    EXPECT_EQ(all.contacts_page, all.files[0]);
    EXPECT_EQ(all.messages_page, all.files[3]);
    // Only the checked contact went out.
    EXPECT_EQ(test::read_file(all.files[1]).find("Bob"), std::string::npos);
}

TEST_F(SavedRecords, AKindWithoutAChosenFormatGetsNoFolderAndNeedsNoTemplate) {
    const std::string absent_template = (dir / "absent.html").string();
    const PhoneReports vcf = write_phone_reports(contacts, threads, dir.path(), "1", absent_template, formats("vcf"));
    ASSERT_TRUE(vcf.ok) << vcf.error;
    EXPECT_EQ(names(vcf.files), std::vector<std::string>{"Contacts (1)/Contacts.vcf"});
    EXPECT_FALSE(fs::exists(dir / "Retrivane1" / "Messages (1)"));
    EXPECT_TRUE(vcf.contacts_page.empty());

    const PhoneReports html = write_phone_reports(contacts, threads, dir.path(), "2", absent_template, formats("html,xml"));
    EXPECT_FALSE(html.ok);
    EXPECT_FALSE(fs::exists(dir / "Retrivane2"));
}

TEST_F(SavedRecords, AFileThatCannotBeWrittenDoesNotStopTheOthers) {
    // The window's recovery names the folder after its tree item.
    const std::string output = (dir / "Retrivane1").string();
    fs::create_directories(output + "/Contacts (1)/Contacts.vcf/in the way");
    const KindFiles saved =
        write_contacts_folder(output, "Contacts (2)", checked_records(contacts), {ExportFormats::all(), shipped_template()});
    EXPECT_FALSE(saved.ok);
    EXPECT_NE(saved.error.find("Contacts.vcf"), std::string::npos) << saved.error;
    EXPECT_EQ(saved.folder, output + "/Contacts (1)");
    EXPECT_EQ(names(saved.files), (std::vector<std::string>{"Contacts (1)/Contacts.html", "Contacts (1)/Contacts.csv"}));
    // No temporary file is left behind.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(saved.folder)) ++entries;
    EXPECT_EQ(entries, 3u);

    const KindFiles nothing = write_messages_folder(output, "Messages (1)", {}, {});
    EXPECT_TRUE(nothing.ok);
    EXPECT_TRUE(nothing.folder.empty());
    EXPECT_FALSE(fs::exists(output + "/Messages (0)"));
}

}  // namespace
}  // namespace quen::exports
