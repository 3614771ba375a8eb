// End to end: the free-space scan over generated phone databases, whose deleted
// rows are known.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <map>
#include <set>

#include "records/android_db_fixture.h"
#include "records/free_space_scan.h"
#include "records/record_model.h"
#include "sample_phone.h"

namespace quen::records {
namespace {

namespace fs = std::filesystem;
using sample_phone::Sample;
using sample_phone::Variant;

// A fresh folder "quen_fs_<tag>_<n>" under the temp folder.
fs::path fresh_folder(const std::string& tag) { return test::fresh_dir("fs_" + tag); }

using test::file_bytes;

class GeneratedPhone : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override {
        dir_ = fresh_folder(sample_phone::variant_name(GetParam()));
        sample_phone::Options o;
        o.variant = GetParam();
        std::string error;
        auto s = sample_phone::make_sample_phone(dir_.string(), o, error);
        ASSERT_TRUE(s) << error;
        sample_ = *s;
        // The contacts reader leaves the mimetype id table of the last file it read.
        records::mimetype_id_table().clear();
        for (const auto& [id, text] : sample_.mimetypes) records::mimetype_id_table()[id] = text;
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
    Sample sample_;
};

// Every value of every field, with the record it sits in.
std::multimap<std::string, const ContactRecord*> all_values(const records::ContactMap& map) {
    std::multimap<std::string, const ContactRecord*> out;
    for (const auto& [key, c] : map)
        for (records::FieldKind k : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 0})
            for (const std::string& v : records::split_text_list(records::contact_field(const_cast<records::ContactRecord&>(c), k)))
                out.emplace(v, &c);
    return out;
}

TEST_P(GeneratedPhone, DeletedContactValuesComeBackInTheirKindsAndNothingElse) {
    ASSERT_FALSE(sample_.deleted_values.empty());
    records::ContactMap contacts;
    records::scan_free_space(records::FreeSpaceMode::Contacts, sample_.contacts_path, contacts);

    for (const auto& [key, c] : contacts) {
        EXPECT_GT(key, 0);
        EXPECT_EQ(key, c.raw_contact_id);
        EXPECT_TRUE(c.deleted);
    }
    for (const auto& v : sample_.deleted_values) {
        auto it = contacts.find(v.raw_contact_id);
        ASSERT_NE(it, contacts.end()) << v.data1;
        std::vector<std::string> items =
            records::split_text_list(records::contact_field(it->second, records::kind_for_mimetype(v.mimetype)));
        EXPECT_EQ(std::count(items.begin(), items.end(), v.data1), 1) << v.raw_contact_id << " " << v.data1;
    }
    // Nothing but deleted values comes back, each value once.
    std::set<std::pair<int64_t, std::string>> deleted;
    for (const auto& v : sample_.deleted_values) deleted.emplace(v.raw_contact_id, v.data1);
    size_t count = 0;
    for (const auto& [value, c] : all_values(contacts)) {
        EXPECT_TRUE(deleted.count({c->raw_contact_id, value})) << "not deleted: " << c->raw_contact_id << " " << value;
        ++count;
    }
    EXPECT_EQ(count, deleted.size());
}

using MessageKey = std::tuple<int64_t, std::string, std::string, int32_t, std::string>;

MessageKey key_of(const sample_phone::Message& m) {
    return {m.thread_id, m.address, m.date_ms ? records::sms_date_text(*m.date_ms) : "", m.type, m.body};
}

TEST_P(GeneratedPhone, DeletedMessagesComeBackOnceAndNoLiveOne) {
    ASSERT_FALSE(sample_.deleted_messages.empty());
    records::ThreadMap threads;
    records::scan_free_space(records::FreeSpaceMode::Messages, sample_.messages_path, threads);

    std::multiset<MessageKey> found;
    std::multiset<std::string> bodies;
    for (const auto& [key, t] : threads) {
        EXPECT_TRUE(t.deleted);
        for (const records::MessageRecord& m : t.messages) {
            EXPECT_TRUE(m.deleted);
            EXPECT_EQ(m.address, t.address);
            EXPECT_EQ(m.thread_id, t.thread_id);
            found.emplace(m.thread_id, m.address, m.date_text, m.type, m.body);
            bodies.insert(m.body);
        }
    }
    std::multiset<std::string> deleted_bodies;
    for (const auto& m : sample_.deleted_messages) deleted_bodies.insert(m.body);
    for (const auto& m : sample_.deleted_messages) {
        EXPECT_EQ(found.count(key_of(m)), 1u) << "thread " << m.thread_id << " " << m.body;
        // No second, misread copy of it either.
        EXPECT_EQ(bodies.count(m.body), deleted_bodies.count(m.body)) << m.body;
    }
    // Nothing live, and none of the deletions beyond the scan's rules (NULL
    // date, empty body, deletions only the log holds) comes back. Positions
    // inside a deleted body may still parse as a record (a line break reads as
    // a serial type), so other finds are not ruled out here.
    for (const auto& m : sample_.live_messages) EXPECT_EQ(found.count(key_of(m)), 0u) << "live: " << m.body;
    for (const auto& m : sample_.lost_messages) EXPECT_EQ(found.count(key_of(m)), 0u) << "lost: " << m.body;
    EXPECT_LE(found.size(), sample_.deleted_messages.size() + 3);
}

TEST_P(GeneratedPhone, ScanningWorkAndBackupCopiesAddsEachRecordOnce) {
    fs::create_directories(dir_ / "backup");
    fs::copy_file(sample_.contacts_path, dir_ / "backup" / "contacts2.db");
    fs::copy_file(sample_.messages_path, dir_ / "backup" / "mmssms.db");
    records::ContactMap contacts, once;
    records::ThreadMap threads, threads_once;
    records::scan_free_space(records::FreeSpaceMode::Contacts, sample_.contacts_path, once);
    scan_free_space(records::FreeSpaceMode::Messages, sample_.messages_path, threads_once);
    scan_free_space(records::FreeSpaceMode::Contacts, sample_.contacts_path, contacts);
    scan_free_space(records::FreeSpaceMode::Contacts, (dir_ / "backup" / "contacts2.db").string(), contacts);
    scan_free_space(records::FreeSpaceMode::Messages, sample_.messages_path, threads);
    scan_free_space(records::FreeSpaceMode::Messages, (dir_ / "backup" / "mmssms.db").string(), threads);
    EXPECT_EQ(all_values(contacts).size(), all_values(once).size());
    auto count = [](const records::ThreadMap& map) {
        size_t n = 0;
        for (const auto& [key, t] : map) n += t.messages.size();
        return n;
    };
    EXPECT_GE(count(threads_once), sample_.deleted_messages.size());
    EXPECT_EQ(count(threads), count(threads_once));
    EXPECT_EQ(threads.size(), threads_once.size());
}

TEST_P(GeneratedPhone, ScanLeavesTheDatabaseAndItsLogByteForByte) {
    const std::vector<std::string> names = {"contacts2.db", "contacts2.db-wal", "mmssms.db", "mmssms.db-wal",
                                            "contacts2.db-journal", "mmssms.db-journal"};
    std::map<std::string, std::string> before;
    for (const auto& n : names)
        if (fs::exists(dir_ / n)) before[n] = file_bytes(dir_ / n);
    if (GetParam() == Variant::Wal) {
        ASSERT_GT(before["mmssms.db-wal"].size(), 0u);
        ASSERT_GT(before["contacts2.db-wal"].size(), 0u);
    }
    records::ContactMap contacts;
    records::ThreadMap threads;
    records::scan_free_space(records::FreeSpaceMode::Contacts, sample_.contacts_path, contacts);
    scan_free_space(records::FreeSpaceMode::Messages, sample_.messages_path, threads);
    for (const auto& [n, bytes] : before) {
        ASSERT_TRUE(fs::exists(dir_ / n)) << n << " was deleted";
        EXPECT_TRUE(file_bytes(dir_ / n) == bytes) << n << " changed";
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, GeneratedPhone,
                         ::testing::Values(Variant::Journal, Variant::Wal, Variant::KitKat),
                         [](const auto& info) { return std::string(sample_phone::variant_name(info.param)); });

}  // namespace
}  // namespace quen::records
