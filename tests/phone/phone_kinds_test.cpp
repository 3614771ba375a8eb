// Acquisition from the kinds of phone people own: the old su, modern su under
// SELinux, Android's own su, a userdebug build with adb root, no root at all,
// and several phones at once. Each run must copy every file byte for byte (or,
// without root, read every live record whole) and leave the phone's files, their
// modes and its adbd exactly as they were.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "phone/acquisition.h"
#include "test_support/sim_phone.h"

namespace quen::phone {
namespace {

using test::read_file;
using test::SimPhone;
namespace fs = std::filesystem;

constexpr const char* kContacts = "/data/data/com.android.providers.contacts/databases/contacts2.db";
constexpr const char* kOldMessages = "/data/data/com.android.providers.telephony/databases/mmssms.db";
constexpr const char* kNewMessages = "/data/user_de/0/com.android.providers.telephony/databases/mmssms.db";

// Bytes a terminal or a text conversion would change: every byte value, line
// feeds, CR LF pairs, NULs.
std::string binary(char seed, std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; bytes.size() < size; ++i) {
        bytes.push_back(static_cast<char>((i * 7 + static_cast<unsigned char>(seed)) & 0xff));
        if (i % 13 == 0) bytes += "\r\n\n\0";
    }
    bytes.resize(size);
    return bytes;
}

std::string props(int sdk, const std::string& release, bool debuggable) {
    return "[ro.build.version.release]: [" + release + "]\n[ro.build.version.sdk]: [" + std::to_string(sdk) +
           "]\n[ro.debuggable]: [" + (debuggable ? "1" : "0") +
           "]\n[ro.product.manufacturer]: [Acme]\n[ro.product.model]: [Phone]\n";
}

struct Kind {
    const char* name;
    RootMethod method;
    const char* copied_by;          // how the databases come off the phone
    const char* messages;           // where this Android keeps mmssms.db
    std::vector<const char*> companions;  // the files beside each database
    void (*setup)(SimPhone&);
};

const Kind kKinds[] = {
    {"old su, Android 4.4", RootMethod::SuRoot, "pull after chmod", kOldMessages, {"-journal"},
     [](SimPhone& p) {
         p.rooted();
         p.set("no-exec-out", "");
         p.set("pty", "");
         p.set("no-stat", "");
         p.set("props", props(19, "4.4.4", false));
     }},
    {"Magisk su -c, SELinux, Android 14", RootMethod::SuC, "exec-out cat", kNewMessages, {"-wal", "-shm"},
     [](SimPhone& p) {
         p.su("c");
         p.set("selinux", "");
         p.set("props", props(34, "14", false));
     }},
    {"Android's su 0, SELinux, Android 9", RootMethod::Su0, "exec-out cat", kNewMessages, {"-wal", "-shm", "-journal"},
     [](SimPhone& p) {
         p.su("0");
         p.set("selinux", "");
         p.set("props", props(28, "9", false));
     }},
    {"userdebug build, adb root", RootMethod::AdbRoot, "pull", kNewMessages, {"-journal"},
     [](SimPhone& p) {
         p.set("debuggable", "");
         p.set("selinux", "");
         p.set("props", props(30, "11", true));
     }},
};

TEST(PhoneKinds, EveryFileArrivesByteForByteAndThePhoneIsLeftAsItWas) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        SimPhone phone;
        phone.ready();
        kind.setup(phone);
        std::vector<std::pair<std::string, std::string>> remote_files;  // remote, content
        char seed = 1;
        for (const std::string& db : {std::string(kContacts), std::string(kind.messages)}) {
            remote_files.emplace_back(db, binary(seed++, 9000));
            for (const char* companion : kind.companions) remote_files.emplace_back(db + companion, binary(seed++, 3000));
        }
        for (const auto& [remote, content] : remote_files) phone.put(remote, content);
        const auto before = phone.files();

        const WorkFolder work = prepare_work_folder(phone.temp());
        const AcquisitionReport report = run_acquisition(phone.helper(), work);
        ASSERT_EQ(report.state(), DeviceState::Ready);
        EXPECT_EQ(report.root.method, kind.method) << root_method_name(report.root.method);
        EXPECT_TRUE(report.lost().empty());

        // Every file the phone has arrived whole, the way this phone allows.
        for (const auto& file : remote_files) {
            const std::string& remote = file.first;
            const std::string& content = file.second;
            const auto outcome = std::find_if(report.files.begin(), report.files.end(),
                                              [&](const FileOutcome& f) { return f.remote == remote; });
            ASSERT_NE(outcome, report.files.end()) << remote;
            EXPECT_EQ(outcome->result, FileResult::Pulled) << remote << ": " << describe_outcome(*outcome);
            EXPECT_EQ(outcome->method, kind.copied_by) << remote;
            EXPECT_TRUE(read_file(outcome->local) == content) << remote;
        }
        EXPECT_EQ(read_file(work.messages_backup), remote_files[1 + kind.companions.size()].second);
        EXPECT_TRUE(report.provider.contacts.empty() && report.provider.messages.empty());

        // The phone's files, their modes, and its adbd are as they were.
        EXPECT_EQ(phone.files(), before);
        EXPECT_FALSE(fs::exists(fs::path(phone.phone_dir()) / "adbd-root"));
        for (const auto& call : phone.calls()) {
            std::string line;
            for (const auto& arg : call) line += arg + " ";
            EXPECT_EQ(line.find("777"), std::string::npos) << line;
            if (call[0] != "start-server" && call[0] != "devices") {
                EXPECT_EQ(call[0], "-s") << line;
            }
        }
        // A change made on the way is written down with its undoing.
        if (kind.method == RootMethod::SuRoot || kind.method == RootMethod::AdbRoot) {
            ASSERT_GE(report.log.size(), 2u);
            EXPECT_NE(report.log.back().find(kind.method == RootMethod::SuRoot ? "restored" : "unroot"),
                      std::string::npos)
                << report.log.back();
        } else {
            EXPECT_TRUE(report.log.empty());
        }
        EXPECT_EQ(report.info.model, "Phone");
    }
}

// The smallest databases that answer the providers' queries as the phone's do.
void make_databases(SimPhone& phone, const std::vector<std::string>& bodies) {
    const fs::path made = fs::path(phone.scratch_dir()) / "made";
    fs::create_directories(made);
    const auto run = [](const fs::path& path, const std::string& sql, const std::vector<std::string>& texts) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_stmt* insert = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?1)", -1, &insert, nullptr), SQLITE_OK);
        for (const auto& text : texts) {
            sqlite3_bind_text(insert, 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_close(db);
    };
    run(made / "contacts2.db",
        "CREATE TABLE mimetypes (_id INTEGER PRIMARY KEY, mimetype TEXT);"
        "CREATE TABLE raw_contacts (_id INTEGER PRIMARY KEY, deleted INTEGER);"
        "CREATE TABLE data (_id INTEGER PRIMARY KEY, raw_contact_id INTEGER, mimetype_id INTEGER, data1 TEXT);"
        "INSERT INTO mimetypes VALUES (1, 'vnd.android.cursor.item/name'), (5, 'vnd.android.cursor.item/phone_v2');"
        "INSERT INTO raw_contacts VALUES (7, 0), (8, 1);"
        "INSERT INTO data VALUES (1, 7, 1, 'Zoë \"Z\", O''Brien'), (2, 7, 5, '+44 20, 7946 0018'), (3, 8, 1, 'Gone');"
        "CREATE TABLE t (x);",
        {});
    run(made / "mmssms.db",
        "CREATE TABLE sms (_id INTEGER PRIMARY KEY, thread_id INTEGER, address TEXT, date INTEGER, type INTEGER, "
        "body TEXT); CREATE TABLE t (x); CREATE TRIGGER f AFTER INSERT ON t BEGIN INSERT INTO sms VALUES "
        "(NULL, 3, '+44 20, 7946 0018', 1700000000000 + new.rowid, 1 + new.rowid % 2, new.x); END;",
        bodies);
    phone.put(kContacts, read_file(made / "contacts2.db"));
    phone.put(kNewMessages, read_file(made / "mmssms.db"));
}

TEST(PhoneKinds, WithoutRootTheLiveRecordsComeWholeThroughTheProviders) {
    const std::vector<std::string> bodies = {
        "See you at 8, ok? \"Bring\" the 'cake'",
        "line one\nRow: 1 _id=3, body=line two\r\nthird=line",
        "",
        "Привет! 你好 = مرحبا ✈️",
        "trailing line break\n",
    };
    // A phone of today, and one whose adbd has neither exec-out nor a shell
    // without a terminal.
    for (const bool old_adbd : {false, true}) {
        SCOPED_TRACE(old_adbd ? "old adbd" : "today's adbd");
        SimPhone phone;
        phone.ready();
        make_databases(phone, bodies);
        if (old_adbd) {
            phone.set("no-exec-out", "");
            phone.set("pty", "");
        }
        const auto before = phone.files();
        const WorkFolder work = prepare_work_folder(phone.temp());
        const AcquisitionReport report = run_acquisition(phone.helper(), work);
        ASSERT_EQ(report.state(), DeviceState::Ready);
        EXPECT_EQ(report.root.method, RootMethod::None);
        EXPECT_TRUE(report.lost().empty());
        ASSERT_TRUE(report.provider.messages_read.ok) << report.provider.messages_read.error;
        ASSERT_TRUE(report.provider.contacts_read.ok) << report.provider.contacts_read.error;

        std::vector<std::string> got;
        for (const auto& m : report.provider.messages) got.push_back(m.body);
        EXPECT_EQ(got, bodies);
        EXPECT_EQ(report.provider.messages[0].address, "+44 20, 7946 0018");
        EXPECT_EQ(report.provider.messages[1].date, 1700000000002);
        ASSERT_EQ(report.provider.contacts.size(), 2u);  // the deleted contact is not live
        EXPECT_EQ(report.provider.contacts[0].data1, "Zoë \"Z\", O'Brien");
        EXPECT_EQ(report.provider.contacts[1].mimetype, "vnd.android.cursor.item/phone_v2");

        // As records: live, the thread named after the contact's number.
        records::ContactMap contacts;
        records::ThreadMap threads;
        add_provider_records(report.provider, contacts, threads);
        ASSERT_EQ(contacts.size(), 1u);
        EXPECT_EQ(contacts.begin()->second.raw_contact_id, 7);
        EXPECT_EQ(contacts.begin()->second.phone, "+44 20, 7946 0018");
        ASSERT_EQ(threads.size(), 1u);
        EXPECT_EQ(threads.begin()->second.messages.size(), bodies.size());
        EXPECT_FALSE(threads.begin()->second.deleted);
        // The stored date goes along: the files for importing are written from it.
        bool dated = false;
        for (const auto& message : threads.begin()->second.messages)
            dated = dated || (message.date_millis == 1700000000002 && !message.date_text.empty());
        EXPECT_TRUE(dated);

        EXPECT_NE(std::string(report.notes.empty() ? "" : report.notes.back()).find("need root"), std::string::npos);
        EXPECT_EQ(phone.files(), before);
    }

    // A phone that refuses its messages to adb says so; it is not a phone without messages.
    SimPhone phone;
    phone.ready();
    make_databases(phone, bodies);
    phone.set("content-denied", "");
    const AcquisitionReport report = run_acquisition(phone.helper(), prepare_work_folder(phone.temp()));
    EXPECT_FALSE(report.provider.messages_read.ok);
    EXPECT_NE(report.provider.messages_read.error.find("Permission Denial"), std::string::npos);
}

TEST(PhoneKinds, TheSerialPicksThePhoneAmongSeveral) {
    SimPhone phone;
    phone.listing("List of devices attached\nA1\tdevice\nB2\tdevice\n\n");
    for (const char* serial : {"A1", "B2"}) {
        const std::string own = std::string("devices/") + serial;
        phone.set(own + "/root", "c");
        phone.set(own + "/selinux", "");
        phone.put("/../" + own + "/files" + kContacts, std::string("contacts of ") + serial);
    }
    const WorkFolder work = prepare_work_folder(phone.temp());
    AdbHelper helper = phone.helper();
    EXPECT_EQ(run_acquisition(helper, work).device.serial, "A1");  // the first listed by default
    EXPECT_EQ(read_file(work.contacts_db), "contacts of A1");

    helper.serial = "B2";
    const auto report = run_acquisition(helper, work);
    EXPECT_EQ(report.device.serial, "B2");
    EXPECT_EQ(report.root.method, RootMethod::SuC);
    EXPECT_EQ(read_file(work.contacts_db), "contacts of B2");

    helper.serial = "C3";  // not attached
    EXPECT_EQ(run_acquisition(helper, work).state(), DeviceState::NoDevice);
    ::setenv("ANDROID_SERIAL", "B2", 1);
    EXPECT_EQ(adb_list_devices(phone.helper()).serial, "B2");
    ::unsetenv("ANDROID_SERIAL");
}

TEST(PhoneKinds, AStoppedRunStillPutsThePhoneBack) {
    SimPhone phone;
    phone.ready();
    phone.set("debuggable", "");
    phone.set("props", props(30, "11", true));
    phone.put(kContacts, std::string(400000, 'c'));
    phone.set("pull-rate", "40000");  // ten seconds
    std::atomic<bool> stop{false};
    TransferControl control;
    control.stop = &stop;
    // Stop as soon as the first bytes arrive.
    control.on_progress = [&](const TransferProgress& progress) {
        if (progress.bytes > 0) stop = true;
    };
    const WorkFolder work = prepare_work_folder(phone.temp());
    const auto started = std::chrono::steady_clock::now();
    const AcquisitionReport report = run_acquisition(phone.helper(), work, control);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_TRUE(report.stopped);
    ASSERT_FALSE(report.files.empty());
    EXPECT_EQ(report.files.back().result, FileResult::Stopped);
    EXPECT_FALSE(fs::exists(work.contacts_db));  // the partial copy is gone
    EXPECT_FALSE(fs::exists(fs::path(phone.phone_dir()) / "adbd-root"));  // adbd runs as it did
}

TEST(PhoneKinds, SuThatRefusesIsNamed) {
    SimPhone phone;
    phone.ready();
    phone.su("c");
    phone.set("su-denied", "");
    const AcquisitionReport report = run_acquisition(phone.helper(), prepare_work_folder(phone.temp()));
    EXPECT_EQ(report.root.method, RootMethod::None);
    EXPECT_EQ(report.root.refusal, "Permission denied");
    const bool named = std::any_of(report.notes.begin(), report.notes.end(),
                                   [](const std::string& n) { return n.find("Permission denied") != std::string::npos; });
    EXPECT_TRUE(named);
}

}  // namespace
}  // namespace quen::phone
