// End to end: the free-space scan over generated phone databases, whose deleted
// rows are known, and the probe's choices of what is scanned at all.
#include "records/free_space/free_space_scan.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "records/model/mimetype_tables.h"
#include "records/model/record_model.h"
#include "records/model/text_list.h"
#include "sample_phone.h"
#include "test_support/files.h"

namespace quen::records {
namespace {

namespace fs = std::filesystem;
using sample_phone::Sample;
using sample_phone::Variant;

std::string file_bytes(const fs::path& path) { return test::read_file(path); }

class GeneratedPhone : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override {
        sample_phone::Options options;
        options.variant = GetParam();
        std::string error;
        auto sample = sample_phone::make_sample_phone(dir_.string(), options, error);
        ASSERT_TRUE(sample) << error;
        sample_ = *sample;
        // The contacts reader leaves the mimetype id table of the last file it read.
        mimetype_id_table().clear();
        for (const auto& [id, text] : sample_.mimetypes) mimetype_id_table()[id] = text;
    }
    test::TempDir temp_{"quen-free-space"};
    const fs::path dir_{temp_.path()};
    Sample sample_;
};

// Every value of every field, with the record it sits in.
std::multimap<std::string, const ContactRecord*> all_values(const ContactMap& map) {
    std::multimap<std::string, const ContactRecord*> out;
    for (const auto& [key, contact] : map)
        for (FieldKind kind : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 0})
            for (const std::string& value : split_text_list(contact_field(contact, kind))) out.emplace(value, &contact);
    return out;
}

TEST_P(GeneratedPhone, DeletedContactValuesComeBackInTheirKindsAndNothingElse) {
    ASSERT_FALSE(sample_.deleted_values.empty());
    ContactMap contacts;
    scan_free_space(FreeSpaceMode::Contacts, sample_.contacts_path, contacts);

    for (const auto& [key, contact] : contacts) {
        EXPECT_GT(key, 0);
        EXPECT_EQ(key, contact.raw_contact_id);
        EXPECT_TRUE(contact.deleted);
    }
    for (const auto& deleted_value : sample_.deleted_values) {
        const auto rebuilt = contacts.find(deleted_value.raw_contact_id);
        ASSERT_NE(rebuilt, contacts.end()) << deleted_value.data1;
        std::vector<std::string> items =
            split_text_list(contact_field(rebuilt->second, kind_for_mimetype(deleted_value.mimetype)));
        EXPECT_EQ(std::count(items.begin(), items.end(), deleted_value.data1), 1)
            << deleted_value.raw_contact_id << " " << deleted_value.data1;
    }
    // Nothing but deleted values comes back, each value once.
    std::set<std::pair<int64_t, std::string>> deleted;
    for (const auto& deleted_value : sample_.deleted_values)
        deleted.emplace(deleted_value.raw_contact_id, deleted_value.data1);
    size_t count = 0;
    for (const auto& [value, contact] : all_values(contacts)) {
        EXPECT_TRUE(deleted.count({contact->raw_contact_id, value}))
            << "not deleted: " << contact->raw_contact_id << " " << value;
        ++count;
    }
    EXPECT_EQ(count, deleted.size());
}

using MessageKey = std::tuple<int64_t, std::string, std::string, int32_t, std::string>;

MessageKey key_of(const sample_phone::Message& message) {
    return {message.thread_id, message.address, message.date_ms ? sms_date_text(*message.date_ms) : "",
            message.type, message.body};
}

TEST_P(GeneratedPhone, DeletedMessagesComeBackOnceAndNoLiveOne) {
    ASSERT_FALSE(sample_.deleted_messages.empty());
    ThreadMap threads;
    scan_free_space(FreeSpaceMode::Messages, sample_.messages_path, threads);

    std::multiset<MessageKey> found;
    std::multiset<std::string> bodies;
    for (const auto& [key, thread] : threads) {
        EXPECT_TRUE(thread.deleted);
        for (const MessageRecord& message : thread.messages) {
            EXPECT_TRUE(message.deleted);
            EXPECT_EQ(message.address, thread.address);
            EXPECT_EQ(message.thread_id, thread.thread_id);
            found.emplace(message.thread_id, message.address, message.date_text, message.type, message.body);
            bodies.insert(message.body);
        }
    }
    std::multiset<std::string> deleted_bodies;
    for (const auto& deleted : sample_.deleted_messages) deleted_bodies.insert(deleted.body);
    for (const auto& deleted : sample_.deleted_messages) {
        EXPECT_EQ(found.count(key_of(deleted)), 1u) << "thread " << deleted.thread_id << " " << deleted.body;
        // No second, misread copy of it either.
        EXPECT_EQ(bodies.count(deleted.body), deleted_bodies.count(deleted.body)) << deleted.body;
    }
    // Nothing live, and none of the deletions beyond the scan's rules (NULL
    // date, empty body, deletions only the log holds) comes back. Positions
    // inside a deleted body may still parse as a record (a line break reads as
    // a serial type), so other finds are not ruled out here.
    for (const auto& live : sample_.live_messages) EXPECT_EQ(found.count(key_of(live)), 0u) << "live: " << live.body;
    for (const auto& lost : sample_.lost_messages) EXPECT_EQ(found.count(key_of(lost)), 0u) << "lost: " << lost.body;
    EXPECT_LE(found.size(), sample_.deleted_messages.size() + 3);
}

TEST_P(GeneratedPhone, ScanningWorkAndBackupCopiesAddsEachRecordOnce) {
    fs::create_directories(dir_ / "backup");
    fs::copy_file(sample_.contacts_path, dir_ / "backup" / "contacts2.db");
    fs::copy_file(sample_.messages_path, dir_ / "backup" / "mmssms.db");
    ContactMap contacts, once;
    ThreadMap threads, threads_once;
    scan_free_space(FreeSpaceMode::Contacts, sample_.contacts_path, once);
    scan_free_space(FreeSpaceMode::Messages, sample_.messages_path, threads_once);
    scan_free_space(FreeSpaceMode::Contacts, sample_.contacts_path, contacts);
    scan_free_space(FreeSpaceMode::Contacts, (dir_ / "backup" / "contacts2.db").string(), contacts);
    scan_free_space(FreeSpaceMode::Messages, sample_.messages_path, threads);
    scan_free_space(FreeSpaceMode::Messages, (dir_ / "backup" / "mmssms.db").string(), threads);
    EXPECT_EQ(all_values(contacts).size(), all_values(once).size());
    auto count = [](const ThreadMap& map) {
        size_t messages = 0;
        for (const auto& [key, thread] : map) messages += thread.messages.size();
        return messages;
    };
    EXPECT_GE(count(threads_once), sample_.deleted_messages.size());
    EXPECT_EQ(count(threads), count(threads_once));
    EXPECT_EQ(threads.size(), threads_once.size());
}

TEST_P(GeneratedPhone, ScanLeavesTheDatabaseAndItsLogByteForByte) {
    const std::vector<std::string> names = {"contacts2.db", "contacts2.db-wal", "mmssms.db", "mmssms.db-wal",
                                            "contacts2.db-journal", "mmssms.db-journal"};
    std::map<std::string, std::string> before;
    for (const auto& name : names)
        if (fs::exists(dir_ / name)) before[name] = file_bytes(dir_ / name);
    if (GetParam() == Variant::Wal) {
        ASSERT_GT(before["mmssms.db-wal"].size(), 0u);
        ASSERT_GT(before["contacts2.db-wal"].size(), 0u);
    }
    ContactMap contacts;
    ThreadMap threads;
    scan_free_space(FreeSpaceMode::Contacts, sample_.contacts_path, contacts);
    scan_free_space(FreeSpaceMode::Messages, sample_.messages_path, threads);
    for (const auto& [name, bytes] : before) {
        ASSERT_TRUE(fs::exists(dir_ / name)) << name << " was deleted";
        EXPECT_TRUE(file_bytes(dir_ / name) == bytes) << name << " changed";
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, GeneratedPhone,
                         ::testing::Values(Variant::Journal, Variant::Wal, Variant::KitKat),
                         [](const auto& info) { return std::string(sample_phone::variant_name(info.param)); });

// Real databases through the whole entry: the probe and its choices.
void exec(sqlite3* db, const char* sql) { ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

TEST(FreeSpaceProbe, DecidesWhatIsScanned) {
    test::TempDir temp("quen-probe");
    const fs::path dir(temp.path());
    const fs::path path = dir / "contacts2.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    exec(db, "PRAGMA secure_delete=OFF;"
             "CREATE TABLE data (_id INTEGER PRIMARY KEY, package_id INTEGER, mimetype_id INTEGER, "
             "raw_contact_id INTEGER, data1 TEXT, data2 TEXT);"
             "INSERT INTO data VALUES (1001, NULL, 5, 42, 'Only row, now deleted', NULL);"
             "INSERT INTO data VALUES (1002, NULL, 5, 42, 'Second row, now deleted', NULL);"
             "DELETE FROM data;");
    sqlite3_close(db);
    mimetype_id_table()[5] = "vnd.android.cursor.item/phone_v2";

    // A table whose every row is deleted still has its layout, from the
    // prepared statement.
    ContactMap contacts;
    scan_free_space(FreeSpaceMode::Contacts, path.string(), contacts);
    ASSERT_EQ(contacts.size(), 1u);
    std::vector<std::string> phones = split_text_list(contacts.at(42).phone);
    std::sort(phones.begin(), phones.end());
    EXPECT_EQ(phones, (std::vector<std::string>{"Only row, now deleted", "Second row, now deleted"}));
    EXPECT_TRUE(contacts.at(42).deleted);

    // The wrong mode, another file name, a missing file: nothing.
    ThreadMap threads;
    scan_free_space(FreeSpaceMode::Messages, path.string(), contacts);
    scan_free_space(FreeSpaceMode::Contacts, path.string(), threads);
    fs::copy_file(path, dir / "people.db");
    ContactMap other;
    scan_free_space(FreeSpaceMode::Contacts, (dir / "people.db").string(), other);
    scan_free_space(FreeSpaceMode::Contacts, (dir / "nothing" / "contacts2.db").string(), other);
    fs::create_directories(dir / "pipe");
    ASSERT_EQ(mkfifo((dir / "pipe" / "contacts2.db").c_str(), 0600), 0);  // must not block
    scan_free_space(FreeSpaceMode::Contacts, (dir / "pipe" / "contacts2.db").string(), other);
    EXPECT_TRUE(other.empty());
    EXPECT_TRUE(threads.empty());
    EXPECT_EQ(contacts.size(), 1u);

    // Not a database, or a database without the columns the scan rebuilds.
    std::ofstream(dir / "x_contacts2.db") << std::string(5000, 'Z');
    scan_free_space(FreeSpaceMode::Contacts, (dir / "x_contacts2.db").string(), other);
    ASSERT_EQ(sqlite3_open((dir / "y_contacts2.db").c_str(), &db), SQLITE_OK);
    exec(db, "PRAGMA secure_delete=OFF; CREATE TABLE data (_id INTEGER PRIMARY KEY, mimetype_id INTEGER, "
             "raw_contact_id INTEGER, value TEXT);"
             "INSERT INTO data VALUES (1001, 5, 42, 'no data1 column'); DELETE FROM data;");
    sqlite3_close(db);
    scan_free_space(FreeSpaceMode::Contacts, (dir / "y_contacts2.db").string(), other);
    EXPECT_TRUE(other.empty());
}


}  // namespace
}  // namespace quen::records
