// The two readers end to end over Android-shaped work and backup copies:
// live rows, rows rebuilt from free space, deleted flags, progress steps,
// thread names and message order.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>

#include "platform/queue_sink.h"
#include "records/model/mimetype_tables.h"
#include "records/model/record_model.h"
#include "records/readers/android_db_fixture.h"
#include "records/readers/contacts_reader.h"
#include "records/readers/messages_reader.h"
#include "test_support/files.h"

namespace fs = std::filesystem;
using namespace quen;
using namespace quen::records;

namespace {

std::vector<Message> drain(QueueSink& sink) {
    std::vector<Message> got;
    while (sink.pump_one([&](const Message& message) { got.push_back(message); }, std::chrono::milliseconds(0))) {
    }
    return got;
}

void expect_steps(const std::vector<Message>& got, WParam first) {
    ASSERT_EQ(got.size(), 4u);
    for (size_t step = 0; step < 4; ++step) {
        EXPECT_EQ(got[step].id, WM_LOAD_PROGRESS);
        EXPECT_EQ(got[step].wparam, first + step);
        EXPECT_EQ(got[step].lparam, 8);
    }
}

constexpr long long kBase = 1600000000000LL;  // ms

// The work copy and the backup copy of one database.
struct Copies {
    fs::path work, backup;
};


// Work copy: Ana (1) with two phones and a NULL phone row, Bo (2), and Cyd (3)
// whose rows were deleted. Backup copy: Ana with one more phone, Dee (4) that
// the work copy no longer has, and Cyd deleted as well.
Copies contacts_copies(const fs::path& dir, Layout layout) {
    Copies copies{dir / "work" / "contacts2.db", dir / "backup" / "contacts2.db"};
    for (const fs::path& path : {copies.work, copies.backup}) {
        fs::create_directories(path.parent_path());
        const bool backup = path == copies.backup;
        TestDb db(path);
        make_contacts_schema(db, layout);
        add_data(db, 7, 1, "Ana");
        add_data(db, 5, 1, "111");
        add_data(db, 5, 1, "222");
        db.exec("INSERT INTO data (mimetype_id, raw_contact_id, data1) VALUES (5, 1, NULL);");
        add_data(db, 7, 2, "Bo");
        add_data(db, 5, 2, "333");
        add_data(db, 7, 3, "Cyd Lost");
        add_data(db, 5, 3, "+44 7700 900444");
        add_data(db, 1, 3, "cyd@example.org");
        add_data(db, 7, 2, "Bo");  // a repeat value merges away
        if (backup) {
            add_data(db, 5, 1, "999");
            add_data(db, 7, 4, "Dee");
        }
        db.exec("DELETE FROM data WHERE raw_contact_id = 3;");
    }
    return copies;
}

// Copies made by `make_copies` for the Android layout under test, in a
// folder of the test's own.
template <Copies (*make_copies)(const fs::path&, Layout)>
class ReaderTest : public ::testing::TestWithParam<Layout> {
protected:
    test::TempDir temp_{"quen-readers"};
    const Copies files = make_copies(temp_.path(), GetParam());
};

using ContactsReader = ReaderTest<contacts_copies>;

TEST_P(ContactsReader, LiveThenBackupThenFreeSpace) {
    QueueSink sink;
    ContactMap map;
    read_contacts(files.work.string(), files.backup.string(), map, &sink);
    expect_steps(drain(sink), 1);

    std::vector<int64_t> keys;
    for (const auto& [key, contact] : map) keys.push_back(key);
    // Contacts of the live rows by descending raw_contact_id, then rebuilt ones.
    ASSERT_EQ(keys, (std::vector<int64_t>{-4, -2, -1, 1, 3}));

    const ContactRecord& ana = map.at(-1);
    EXPECT_FALSE(ana.deleted);
    EXPECT_EQ(ana.raw_contact_id, 1);
    EXPECT_EQ(ana.name, "Ana");
    EXPECT_EQ(ana.phone, "111|222");  // what the work copy holds, in list order, no repeats
    // A number only the backup copy still holds is gone from the phone: an
    // earlier value of Ana, not one of her live ones.
    EXPECT_TRUE(map.at(1).deleted);
    EXPECT_EQ(map.at(1).phone, "999");
    EXPECT_EQ(map.at(1).name, "Ana");
    EXPECT_EQ(map.at(-2).name, "Bo");
    EXPECT_FALSE(map.at(-2).deleted);
    EXPECT_TRUE(map.at(-4).deleted);  // only the backup holds it
    EXPECT_EQ(map.at(-4).raw_contact_id, 4);

    const ContactRecord& cyd = map.at(3);
    EXPECT_TRUE(cyd.deleted);
    EXPECT_EQ(cyd.raw_contact_id, 3);
    EXPECT_EQ(cyd.name, "Cyd Lost");  // seen in both copies' free space, once
    EXPECT_EQ(cyd.phone, "+44 7700 900444");
    // Android files email under mimetype id 1, which SQLite stores as the
    // constant 1 (no value byte): the row is rebuilt all the same.
    EXPECT_EQ(cyd.email, "cyd@example.org");
    EXPECT_EQ(cyd.others, "");

    // The backup's table stays for whoever scans free space next.
    EXPECT_EQ(mimetype_text_for_id(5), "vnd.android.cursor.item/phone_v2");
}

INSTANTIATE_TEST_SUITE_P(AndroidVersions, ContactsReader, ::testing::Values(Layout::Current, Layout::KitKat));

// Edits leave the rows' older cells in free space. An old value the contact no
// longer holds comes back as a deleted record of that contact, named after
// it; an older cell whose value the contact still holds is not a deleted
// contact at all.
TEST(ContactsReaderEdges, EditsGiveEarlierValuesNotPhantomContacts) {
    test::TempDir temp("quen-readers-edits");
    const fs::path path = fs::path(temp.path()) / "contacts2.db";
    {
        TestDb db(path);
        make_contacts_schema(db, Layout::Current);
        add_data(db, 7, 1, "Ana");
        add_data(db, 5, 1, "111");
        add_data(db, 4, 1, "Acme");
        add_data(db, 7, 2, "Bo");
        add_data(db, 5, 2, "333");
        add_data(db, 7, 3, "Cyd");
        // Both rows grow, so each moves and leaves its older cell behind:
        // Ana's number changes, Bo's only gains a label.
        db.exec("UPDATE data SET data1 = '+49 170 2222222' WHERE data1 = '111';"
                "UPDATE data SET data2 = 'mobile' WHERE data1 = '333';");
    }
    ContactMap map;
    read_contacts(path.string(), "", map, nullptr);
    std::vector<int64_t> keys;
    for (const auto& [key, contact] : map) keys.push_back(key);
    ASSERT_EQ(keys, (std::vector<int64_t>{-3, -2, -1, 1}));
    EXPECT_FALSE(map.at(-1).deleted);
    EXPECT_EQ(map.at(-1).phone, "+49 170 2222222");
    EXPECT_EQ(map.at(-2).phone, "333");
    const ContactRecord& earlier = map.at(1);
    EXPECT_TRUE(earlier.deleted);
    EXPECT_EQ(earlier.raw_contact_id, 1);
    EXPECT_EQ(earlier.phone, "111");
    EXPECT_EQ(earlier.name, "Ana");
}

// A contact deleted on the phone but not yet synced keeps its rows, flagged
// deleted = 1 on its raw contact: it is a deleted contact, with its values.
TEST(ContactsReaderEdges, ContactsDeletedOnThePhoneButNotSyncedAreDeleted) {
    test::TempDir temp("quen-readers-soft");
    const fs::path path = fs::path(temp.path()) / "contacts2.db";
    {
        TestDb db(path);
        make_contacts_schema(db, Layout::Current);
        add_data(db, 7, 1, "Ana");
        add_data(db, 7, 2, "Bo");
        add_data(db, 5, 2, "333");
        db.exec("UPDATE raw_contacts SET deleted = 1 WHERE _id = 2;");
    }
    ContactMap map;
    read_contacts(path.string(), "", map, nullptr);
    ASSERT_EQ(map.count(-1), 1u);
    ASSERT_EQ(map.count(-2), 1u);
    EXPECT_FALSE(map.at(-1).deleted);
    EXPECT_TRUE(map.at(-2).deleted);
    EXPECT_EQ(map.at(-2).name, "Bo");
    EXPECT_EQ(map.at(-2).phone, "333");
}

// Reading the copies, as the phone scan and `read` do, creates, changes and
// deletes nothing in their folders: not even beside the plain backup copies of
// databases in WAL mode, which a read-only open of SQLite would give a "-wal"
// and "-shm".
TEST(ReadersEdges, CopiesInWalModeAndTheirFoldersStayUntouched) {
    test::TempDir temp("quen-readers-wal");
    const fs::path dir(temp.path());
    for (const char* folder : {"work", "bak"}) {
        fs::create_directories(dir / folder);
        TestDb contacts(dir / folder / "contacts2.db");
        contacts.exec("PRAGMA journal_mode=WAL;");
        make_contacts_schema(contacts, Layout::Current);
        add_data(contacts, 7, 1, "Ana");
        TestDb messages(dir / folder / "mmssms.db");
        messages.exec("PRAGMA journal_mode=WAL;");
        make_sms_schema(messages, Layout::Current);
        add_sms(messages, 1, "+100", kBase, 1, "hello");
    }
    // The backup copies are the database files alone, as the acquisition makes them.
    for (const char* name : {"contacts2.db-wal", "contacts2.db-shm", "mmssms.db-wal", "mmssms.db-shm"})
        fs::remove(dir / "bak" / name);
    auto listing = [&] {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            files[entry.path().string()] = entry.is_regular_file() ? test::read_file(entry.path()) : "";
        return files;
    };
    const auto before = listing();
    ContactMap contacts;
    ThreadMap threads;
    read_contacts((dir / "work/contacts2.db").string(), (dir / "bak/contacts2.db").string(), contacts, nullptr);
    read_messages(contacts, (dir / "work/mmssms.db").string(), (dir / "bak/mmssms.db").string(), threads, nullptr);
    EXPECT_EQ(contacts.size(), 1u);
    EXPECT_EQ(threads.size(), 1u);
    const auto after = listing();
    std::vector<std::string> names_before, names_after;
    for (const auto& [name, bytes] : before) names_before.push_back(name);
    for (const auto& [name, bytes] : after) names_after.push_back(name);
    ASSERT_EQ(names_after, names_before);
    EXPECT_TRUE(after == before) << "a file changed";
}

TEST(ContactsReaderEdges, MissingFilesStillPostEveryStep) {
    QueueSink sink;
    ContactMap map;
    read_contacts("/nonexistent/contacts2.db", "", map, &sink);
    expect_steps(drain(sink), 1);
    EXPECT_TRUE(map.empty());
    read_contacts("", "", map, nullptr);  // no window: nothing to post to
    EXPECT_TRUE(map.empty());
}

// Without a readable backup copy, the work copy's mimetypes still classify
// the rows rebuilt from its free space.
TEST(ContactsReaderEdges, UnreadableBackupKeepsWorkMimetypes) {
    test::TempDir temp("quen-readers-contacts");
    const auto files = contacts_copies(temp.path(), Layout::Current);
    mimetype_id_table()[5] = "left over from an earlier phone";
    ContactMap map;
    read_contacts(files.work.string(), (files.work.parent_path() / "gone" / "contacts2.db").string(), map,
                  nullptr);
    ASSERT_EQ(map.count(3), 1u);
    EXPECT_EQ(map.at(3).phone, "+44 7700 900444");
    EXPECT_EQ(map.at(3).others, "");
    ASSERT_EQ(map.count(-1), 1u);
    EXPECT_EQ(map.at(-1).phone, "111|222");

    // Neither copy readable: an earlier phone's table does not survive.
    read_contacts("", "", map, nullptr);
    EXPECT_TRUE(mimetype_id_table().empty());
}

// Work copy: thread 1 "+100" (hello, reply), thread 2 "+100", thread 3 with a
// NULL address, thread 4 "+200" whose only message was deleted, and "again"
// (thread 1) deleted and then stored once more, so it is both live and in
// free space. Backup copy: hello again, a message the work copy lost, and
// thread 5 "+300".
Copies sms_copies(const fs::path& dir, Layout layout) {
    Copies copies{dir / "work" / "mmssms.db", dir / "backup" / "mmssms.db"};
    for (const fs::path& path : {copies.work, copies.backup}) {
        fs::create_directories(path.parent_path());
        TestDb db(path);
        make_sms_schema(db, layout);
        add_sms(db, 1, "+100", kBase + 7200000, 2, "reply");
        add_sms(db, 1, "+100", kBase, 1, "hello");
        add_sms(db, 2, "+100", kBase + 3600000, 1, "other thread");
        db.exec("INSERT INTO sms (thread_id, address, date, type, body) VALUES (3, NULL, " +
                std::to_string(kBase) + ", 1, 'no address');");
        if (path == copies.work) {
            add_sms(db, 4, "+200", kBase + 60000, 1, "secret that was deleted");
            add_sms(db, 1, "+100", kBase + 120000, 1, "again");
            add_sms(db, 9, "+900", kBase, 1, "filler after the deleted ones");
            db.exec("DELETE FROM sms WHERE thread_id = 4 OR body = 'again';");
            db.exec("INSERT INTO sms (thread_id, address, date, type, body, subject) VALUES (1, '+100', " +
                    std::to_string(kBase + 120000) + ", 1, 'again', '" + std::string(120, 's') + "');");
        } else {
            add_sms(db, 1, "+100", kBase + 5000, 1, "only kept by the backup");
            add_sms(db, 5, "+300", kBase, 2, "backup thread");
        }
    }
    return copies;
}

const MessageRecord* find_body(const ThreadRecord& thread, const std::string& body, int* count = nullptr) {
    const MessageRecord* hit = nullptr;
    int hits = 0;
    for (const auto& message : thread.messages)
        if (message.body == body) {
            hit = &message;
            ++hits;
        }
    if (count) *count = hits;
    return hit;
}

using MessagesReader = ReaderTest<sms_copies>;

TEST_P(MessagesReader, FreeSpaceThenLiveNamedAndSorted) {
    ContactMap contacts;
    auto& ana = find_or_create_contact(contacts, -1, false);
    ana.name = "Ana";
    ana.phone = "+100";
    QueueSink sink;
    ThreadMap threads;
    read_messages(contacts, files.work.string(), files.backup.string(), threads, &sink);
    expect_steps(drain(sink), 5);

    ASSERT_EQ(threads.size(), 6u);
    // Holds live messages, so live, though "again" also lies in free space.
    const ThreadRecord& thread_1 = threads.at({"+100", 1});
    EXPECT_FALSE(thread_1.deleted);
    EXPECT_EQ(thread_1.name, "Ana");
    EXPECT_EQ(threads.at({"+100", 2}).name, "Ana");  // same address, second thread

    int copies = 0;
    const MessageRecord* hello = find_body(thread_1, "hello", &copies);
    ASSERT_NE(hello, nullptr);
    EXPECT_EQ(copies, 1);  // held by both copies, added once
    EXPECT_FALSE(hello->deleted);
    EXPECT_EQ(hello->date_text, sms_date_text(kBase));
    EXPECT_EQ(hello->type, 1);
    EXPECT_EQ(find_body(thread_1, "reply")->type, 2);

    const MessageRecord* only_backup = find_body(thread_1, "only kept by the backup");
    ASSERT_NE(only_backup, nullptr);
    EXPECT_TRUE(only_backup->deleted);

    const MessageRecord* again = find_body(thread_1, "again", &copies);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(copies, 1);          // live and in free space: once,
    EXPECT_FALSE(again->deleted);  // as the live message it is

    const ThreadRecord& thread_4 = threads.at({"+200", 4});
    EXPECT_TRUE(thread_4.deleted);
    ASSERT_EQ(thread_4.messages.size(), 1u);
    EXPECT_TRUE(thread_4.messages[0].deleted);
    EXPECT_EQ(thread_4.messages[0].body, "secret that was deleted");
    EXPECT_EQ(thread_4.messages[0].date_text, sms_date_text(kBase + 60000));

    const ThreadRecord& thread_3 = threads.at({"", 3});
    EXPECT_EQ(thread_3.name, "");
    EXPECT_FALSE(thread_3.deleted);
    EXPECT_FALSE(threads.at({"+100", 2}).deleted);
    EXPECT_TRUE(threads.at({"+300", 5}).deleted);  // only the backup copy's

    EXPECT_FALSE(threads.at({"+900", 9}).deleted);

    for (const auto& [key, thread] : threads) {
        EXPECT_TRUE(std::is_sorted(thread.messages.begin(), thread.messages.end(),
                                   [](const MessageRecord& a, const MessageRecord& b) {
                                       return a.date_text < b.date_text;
                                   }));
        for (const auto& message : thread.messages) {
            EXPECT_EQ(message.thread_id, thread.thread_id);
            EXPECT_EQ(message.address, thread.address);
        }
    }
    const std::vector<std::string> order = {"hello", "only kept by the backup", "again", "reply"};
    ASSERT_EQ(thread_1.messages.size(), order.size());
    for (size_t index = 0; index < order.size(); ++index) EXPECT_EQ(thread_1.messages[index].body, order[index]);
}

INSTANTIATE_TEST_SUITE_P(AndroidVersions, MessagesReader, ::testing::Values(Layout::Current, Layout::KitKat));

TEST(MessagesReaderEdges, MissingFilesStillPostEveryStep) {
    QueueSink sink;
    ThreadMap threads;
    read_messages(ContactMap{}, "/nonexistent/mmssms.db", "", threads, &sink);
    expect_steps(drain(sink), 5);
    EXPECT_TRUE(threads.empty());
}

}  // namespace
