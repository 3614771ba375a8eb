// The devices, acquire and phone commands, run as the user runs them.
#include <stdlib.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <rapidjson/document.h>

#include "export/read_back.h"
#include "phone/acquisition.h"
#include "platform/local_time.h"
#include "platform/process.h"
#include "test_support/cli_run.h"
#include "test_support/files.h"
#include "test_support/sim_phone.h"

namespace quen {
namespace {

namespace fs = std::filesystem;
using test::kCliProgram;
using test::kPhoneSimProgram;
using test::write_file;

class CliPhone : public ::testing::Test {
protected:
    // Runs quenfora-cli with the simulator as helper; stdout in `output`, and
    // stderr kept for errors().
    platform::CapturedRun cli(const std::vector<std::string>& args, const std::string& adb = kPhoneSimProgram) {
        std::vector<std::string> argv = {"/usr/bin/env", "TMPDIR=" + phone_.temp(),
                                         "QUEN_PHONE_SIM_DIR=" + phone_.phone_dir(), "STDERR_FILE=" + stderr_file(),
                                         "/bin/sh", "-c", "exec \"$@\" 2>\"$STDERR_FILE\"", "sh", kCliProgram};
        if (!adb.empty()) {
            argv.push_back("--adb");
            argv.push_back(adb);
        }
        argv.insert(argv.end(), args.begin(), args.end());
        return platform::run_captured(argv, std::chrono::seconds(60));
    }
    // What the last cli() run printed on stderr.
    std::string errors() const { return test::read_file(stderr_file()); }
    std::string stderr_file() const { return phone_.scratch_dir() + "/stderr"; }
    // This user's work folder under the test's temporary folder.
    std::string user_folder() const { return phone_.temp() + "quenfora-" + std::to_string(::geteuid()); }
    std::vector<std::string> run_folders() const {
        std::vector<std::string> runs;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(user_folder(), ec)) runs.push_back(entry.path().string());
        return runs;
    }

    // A phone holding the sample databases (of `variant`) with every file
    // that goes with them, the messages where Android 7 and later keep them;
    // rooted with the old su unless told otherwise. Returns the folder the
    // databases were made in.
    fs::path sample_phone(const std::string& variant = "journal", bool rooted = true) {
        const fs::path made = fs::path(phone_.scratch_dir()) / "made";
        const auto r = platform::run_captured({test::kMakeSamplePhoneProgram, made.string(), "--variant", variant},
                                              std::chrono::seconds(60));
        EXPECT_EQ(r.exit_code, 0) << r.output;
        phone_.ready();
        if (rooted) phone_.rooted();
        for (const auto& [name, folder] : {std::pair{"contacts2.db", kContactsFolder}, std::pair{"mmssms.db", kMessagesFolder}})
            for (const char* companion : {"", "-wal", "-shm", "-journal"})
                if (fs::exists(made / (std::string(name) + companion)))
                    phone_.put(std::string(folder) + "/" + name + companion,
                               test::read_file(made / (std::string(name) + companion)));
        return made;
    }
    static constexpr const char* kContactsFolder = "/data/data/com.android.providers.contacts/databases";
    static constexpr const char* kMessagesFolder = "/data/user_de/0/com.android.providers.telephony/databases";

    test::SimPhone phone_;
};

bool deleted_first(const rapidjson::Value& list) {
    bool live_seen = false;
    for (const auto& item : list.GetArray()) {
        if (!item["deleted"].GetBool()) live_seen = true;
        else if (live_seen) return false;
    }
    return true;
}

TEST_F(CliPhone, DevicesPrintsTheStateTheListingImpliesWithItsFix) {
    EXPECT_EQ(cli({"devices"}).output, "NoDevice\n");
    phone_.listing("List of devices attached\r\nA1\tunauthorized\r\nB2\tdevice\r\n\r\n");
    EXPECT_EQ(cli({"devices"}).output, "NotAuthorized\n");
    EXPECT_NE(errors().find("Allow USB debugging"), std::string::npos) << errors();
    phone_.ready();
    auto r = cli({"devices"});
    EXPECT_EQ(r.output, "Ready\n");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(errors(), "");
    phone_.listing("List of devices attached\nR58M\tno permissions (user in plugdev group; are your udev rules "
                   "wrong?); see [http://developer.android.com/tools/device.html]\n\n");
    EXPECT_EQ(cli({"devices"}).output, "NoPermission\n");
    EXPECT_NE(errors().find("plugdev"), std::string::npos) << errors();
    r = cli({"devices"}, "/nonexistent/adb");
    EXPECT_EQ(r.output, "NoHelper\n");
    EXPECT_EQ(r.exit_code, 1);
}

TEST_F(CliPhone, PhoneWithoutUsbPermissionFailsWithTheFix) {
    sample_phone();
    phone_.listing("List of devices attached\nR58M\tno permissions (user in plugdev group; are your udev rules "
                   "wrong?); see [http://developer.android.com/tools/device.html]\n\n");
    const auto r = cli({"phone"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, "NoPermission\n");
    EXPECT_NE(errors().find("udev"), std::string::npos) << errors();
    EXPECT_EQ(errors().find("root"), std::string::npos) << errors();  // not blamed on root
}

TEST_F(CliPhone, GlobalOptionsAreTakenAfterTheCommandToo) {
    phone_.ready();
    // --adb after the command: without it the program would not find the simulator.
    const auto r = platform::run_captured({"/usr/bin/env", "QUEN_PHONE_SIM_DIR=" + phone_.phone_dir(), kCliProgram,
                                           "devices", "--quiet", "--adb", kPhoneSimProgram},
                                          std::chrono::seconds(60));
    EXPECT_EQ(r.output, "Ready\n");
    EXPECT_EQ(r.exit_code, 0);
}

TEST_F(CliPhone, AcquireKeepsPrivateCopiesAndSaysWhere) {
    phone_.ready();
    phone_.rooted();
    phone_.put(std::string(kContactsFolder) + "/contacts2.db", "0123456789");
    phone_.put(std::string(kContactsFolder) + "/contacts2.db-wal", "wal");
    phone_.put(std::string(kMessagesFolder) + "/mmssms.db", "12345");

    const auto r = cli({"acquire"});
    EXPECT_EQ(r.exit_code, 0) << errors();
    const auto runs = run_folders();
    ASSERT_EQ(runs.size(), 1u);
    const std::string t = runs[0] + "/";
    const std::string want = "Ready\n" +
                             t + "Quenfora/contacts2.db\t10\n" +
                             t + "Quenfora/bak/contacts2.db\t10\n" +
                             t + "Quenfora/contacts2.db-shm\tabsent\n" +
                             t + "Quenfora/contacts2.db-wal\t3\n" +
                             t + "Quenfora/contacts2.db-journal\tabsent\n" +
                             t + "quenfora-recovery-for-android/mmssms.db\t5\n" +
                             t + "quenfora-recovery-for-android/bak/mmssms.db\t5\n" +
                             t + "quenfora-recovery-for-android/mmssms.db-shm\tabsent\n" +
                             t + "quenfora-recovery-for-android/mmssms.db-wal\tabsent\n" +
                             t + "quenfora-recovery-for-android/mmssms.db-journal\tabsent\n";
    EXPECT_EQ(r.output, want);
    EXPECT_NE(errors().find("kept in " + runs[0]), std::string::npos) << errors();
    EXPECT_EQ(fs::status(t + "Quenfora/contacts2.db").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(user_folder()).permissions(), fs::perms::owner_all);

    // Without root the phone is still Ready and nothing lands; the next run
    // removed the copies the last one kept.
    phone_.unrooted();
    const auto unrooted = cli({"acquire"});
    std::istringstream lines(unrooted.output);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "Ready");
    int absent = 0;
    while (std::getline(lines, line)) absent += line.size() > 7 && line.compare(line.size() - 7, 7, "\tabsent") == 0;
    EXPECT_EQ(absent, 10) << unrooted.output;
    EXPECT_TRUE(run_folders().empty());
}

TEST_F(CliPhone, DatabaseCutInTransferFailsTheRun) {
    sample_phone();
    phone_.set("adbd-root", "");  // pulls need no su
    phone_.set("pull-cut", "4096");
    const auto r = cli({"--quiet", "phone", "--json"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(errors().find(std::string(kContactsFolder) + "/contacts2.db was not copied whole: cut"),
              std::string::npos)
        << errors();
    rapidjson::Document doc;
    ASSERT_FALSE(doc.Parse(r.output.c_str()).HasParseError()) << r.output;
    EXPECT_STREQ(doc["acquisition"][0]["result"].GetString(), "cut");
    EXPECT_TRUE(run_folders().empty());
}

TEST_F(CliPhone, PhoneWritesBothReportPagesOfARootedPhone) {
    sample_phone();
    const fs::path out = fs::path(phone_.scratch_dir()) / "out dir";
    fs::create_directories(out);
    const auto r = cli({"phone", "--out", out.string()});
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(r.output.rfind("Ready\n", 0), 0u) << r.output;

    // The pages printed are the pages written, in the recovery's layout.
    std::vector<fs::path> printed;
    std::istringstream lines(r.output);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("wrote ", 0) == 0) printed.emplace_back(line.substr(6));
    ASSERT_EQ(printed.size(), 6u) << r.output;
    const char* const files[] = {"Contacts.html", "Contacts.vcf", "Contacts.csv",
                                 "Messages.html", "Messages.xml", "Messages.csv"};
    for (size_t i = 0; i < printed.size(); ++i) {
        EXPECT_EQ(printed[i].filename(), files[i]);
        EXPECT_EQ(printed[i].parent_path(), printed[i < 3 ? 0 : 3].parent_path()) << "beside its page";
        EXPECT_GT(fs::file_size(printed[i]), 0u) << printed[i];
    }
    EXPECT_EQ(printed[0].parent_path().parent_path(), printed[3].parent_path().parent_path());
    EXPECT_EQ(printed[0].parent_path().parent_path().parent_path(), out);
    EXPECT_EQ(printed[0].parent_path().parent_path().filename().string().rfind("Retrivane", 0), 0u);
    EXPECT_EQ(printed[0].parent_path().filename().string().rfind("Contacts (", 0), 0u);
    EXPECT_EQ(printed[3].parent_path().filename().string().rfind("Messages (", 0), 0u);

    // Once the pages are written the pulled databases are gone from the temporary folder.
    EXPECT_TRUE(run_folders().empty());
}

// The records of a text list field, one per value.
std::vector<std::string> items(const rapidjson::Value& record, const char* key) {
    std::vector<std::string> out;
    const std::string list = test::text(record[key]);
    if (list.empty()) return out;
    size_t start = 0;
    for (size_t bar; (bar = list.find('|', start)) != std::string::npos; start = bar + 1)
        out.push_back(list.substr(start, bar - start));
    out.push_back(list.substr(start));
    return out;
}

std::vector<std::string> card_texts(const rapidjson::Value& card, const char* key) {
    std::vector<std::string> out;
    if (card.HasMember(key))
        for (const auto& value : card[key].GetArray()) out.push_back(value.IsString() ? test::text(value) : "<list>");
    return out;
}

TEST_F(CliPhone, PhoneOutSavesEveryRecordAsIndependentParsersReadThem) {
    sample_phone();
    const fs::path out = fs::path(phone_.scratch_dir()) / "saved";
    const auto r = cli({"--quiet", "phone", "--out", out.string(), "--json"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    rapidjson::Document doc;
    ASSERT_FALSE(doc.Parse(r.output.c_str()).HasParseError()) << r.output;
    ASSERT_EQ(doc["files"].Size(), 6u);
    const std::string vcf = test::text(doc["files"][1]), xml = test::text(doc["files"][4]);
    ASSERT_EQ(fs::path(vcf).filename(), "Contacts.vcf");
    ASSERT_EQ(fs::path(xml).filename(), "Messages.xml");

    // Every contact, in list order, with every value where an importer looks for it.
    rapidjson::Document cards;
    test::read_back("vcf", vcf, cards);
    if (HasFatalFailure()) return;
    const auto& contacts = doc["contacts"];
    ASSERT_GT(contacts.Size(), 0u);
    ASSERT_EQ(cards.Size(), contacts.Size());
    for (rapidjson::SizeType i = 0; i < contacts.Size(); ++i) {
        const auto& contact = contacts[i];
        const auto& card = cards[i];
        std::vector<std::string> names = items(contact, "name");
        EXPECT_EQ(card_texts(card, "fn"), std::vector<std::string>{names.empty() ? "" : names.front()}) << i;
        std::vector<std::string> nicknames(names.size() > 1 ? names.begin() + 1 : names.end(), names.end());
        for (const auto& nickname : items(contact, "nickname")) nicknames.push_back(nickname);
        EXPECT_EQ(card_texts(card, "nickname"), nicknames) << i;
        for (const auto& [field, property] : {std::pair{"phone", "tel"}, {"email", "email"}, {"im", "impp"},
                                              {"sip_address", "x-sip"}, {"website", "url"}, {"note", "note"},
                                              {"others", "x-quenfora-other"}})
            EXPECT_EQ(card_texts(card, property), items(contact, field)) << i << " " << field;
        std::vector<std::string> streets;
        if (card.HasMember("adr"))
            for (const auto& adr : card["adr"].GetArray()) streets.push_back(test::text(adr[2]));
        EXPECT_EQ(streets, items(contact, "postal_address")) << i;
    }

    // Every message, thread by thread, with its address, body, type and date.
    rapidjson::Document backup;
    test::read_back("xml", xml, backup);
    if (HasFatalFailure()) return;
    const auto& sms = backup["sms"];
    rapidjson::SizeType k = 0;
    for (const auto& thread : doc["threads"].GetArray()) {
        for (const auto& message : thread["messages"].GetArray()) {
            ASSERT_LT(k, sms.Size());
            const auto& m = sms[k++];
            EXPECT_EQ(test::text(m["address"]), test::text(message["address"]));
            EXPECT_EQ(test::text(m["body"]), test::text(message["body"]));
            EXPECT_EQ(test::text(m["type"]), std::to_string(message["type"].GetInt()));
            // A record rebuilt without its date is saved with date 0.
            const std::string date_text = test::text(message["date_text"]);
            if (date_text.empty())
                EXPECT_EQ(test::text(m["date"]), "0");
            else
                EXPECT_EQ(platform::local_time_from_millis(std::stoll(test::text(m["date"]))), date_text);
            const std::string name = test::text(thread["name"]);
            EXPECT_EQ(test::text(m["contact_name"]), name.empty() ? "(Unknown)" : name.substr(0, name.find('|')));
        }
    }
    EXPECT_EQ(k, sms.Size());
    EXPECT_EQ(test::text(backup["count"]), std::to_string(sms.Size()));
}

TEST_F(CliPhone, PhoneJsonListsRecordsDeletedFirst) {
    sample_phone();
    const auto r = cli({"--quiet", "phone", "--json"});
    EXPECT_EQ(r.exit_code, 0);
    rapidjson::Document doc;
    ASSERT_FALSE(doc.Parse(r.output.c_str()).HasParseError()) << r.output;
    EXPECT_STREQ(doc["state"].GetString(), "Ready");
    ASSERT_GT(doc["contacts"].Size(), 0u);
    ASSERT_GT(doc["threads"].Size(), 0u);
    EXPECT_TRUE(deleted_first(doc["contacts"]));
    EXPECT_TRUE(deleted_first(doc["threads"]));
    EXPECT_FALSE(doc.HasMember("contacts_page"));
}

TEST_F(CliPhone, PhoneWithoutAReadyPhoneFails) {
    auto r = cli({"--quiet", "phone", "--json"});
    EXPECT_EQ(r.exit_code, 1);
    rapidjson::Document doc;
    ASSERT_FALSE(doc.Parse(r.output.c_str()).HasParseError()) << r.output;
    EXPECT_STREQ(doc["state"].GetString(), "NoDevice");
    EXPECT_EQ(doc["contacts"].Size(), 0u);
    EXPECT_EQ(doc["acquisition"].Size(), 0u);
    phone_.listing("List of devices attached\nA1\toffline\n\n");
    r = cli({"phone"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, "Offline\n");
}

// What `read` gives for the files a phone holds: the records a phone run must
// give when it copied every file whole.
rapidjson::Document read_json(const std::function<std::string(const std::vector<std::string>&)>& run,
                              const fs::path& made) {
    const fs::path bak = made / "bak";
    fs::create_directories(bak);
    for (const char* name : {"contacts2.db", "mmssms.db"}) fs::copy_file(made / name, bak / name, fs::copy_options::overwrite_existing);
    const auto r = run({"--quiet", "read", "--contacts", (made / "contacts2.db").string(), "--contacts-backup",
                        (bak / "contacts2.db").string(), "--messages", (made / "mmssms.db").string(),
                        "--messages-backup", (bak / "mmssms.db").string(), "--json"});
    rapidjson::Document doc;
    doc.Parse(r.c_str());
    return doc;
}

TEST_F(CliPhone, PhoneGivesEveryRecordOfEachKindOfPhoneAndLeavesItAsItWas) {
    struct Kind {
        const char* name;
        const char* variant;
        const char* root;
        void (*setup)(test::SimPhone&);
    };
    const Kind kinds[] = {
        {"old su, Android 4.4", "kitkat", "su root",
         [](test::SimPhone& p) {
             p.set("no-exec-out", "");
             p.set("pty", "");
             p.set("no-stat", "");
             p.set("props", "[ro.build.version.sdk]: [19]\n[ro.build.version.release]: [4.4.4]\n");
         }},
        {"Magisk, SELinux", "wal", "su -c",
         [](test::SimPhone& p) {
             p.su("c");
             p.set("selinux", "");
         }},
        {"userdebug, adb root", "journal", "adb root",
         [](test::SimPhone& p) {
             p.unrooted();
             p.set("debuggable", "");
             p.set("selinux", "");
             p.set("props", "[ro.build.version.sdk]: [30]\n[ro.debuggable]: [1]\n");
         }},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        fs::remove_all(phone_.phone_dir());
        fs::create_directories(phone_.phone_dir());
        const fs::path made = sample_phone(kind.variant);
        kind.setup(phone_);
        const auto before = phone_.files();

        const auto r = cli({"--quiet", "phone", "--json"});
        EXPECT_EQ(r.exit_code, 0) << errors();
        rapidjson::Document doc;
        ASSERT_FALSE(doc.Parse(r.output.c_str()).HasParseError()) << r.output;
        EXPECT_STREQ(doc["device"]["root"].GetString(), kind.root);
        const rapidjson::Document want =
            read_json([&](const std::vector<std::string>& a) { return cli(a).output; }, made);
        ASSERT_TRUE(want.IsObject());
        ASSERT_GT(want["threads"].Size(), 0u);
        EXPECT_TRUE(doc["contacts"] == want["contacts"]);
        EXPECT_TRUE(doc["threads"] == want["threads"]);
        EXPECT_EQ(phone_.files(), before);
        EXPECT_FALSE(fs::exists(fs::path(phone_.phone_dir()) / "adbd-root"));
    }
}

TEST_F(CliPhone, PhoneWithoutRootGivesItsLiveRecordsAndSaysDeletedOnesNeedRoot) {
    sample_phone("wal", false);
    const auto r = cli({"--quiet", "phone", "--json"});
    EXPECT_EQ(r.exit_code, 0) << errors();
    rapidjson::Document doc;
    ASSERT_FALSE(doc.Parse(r.output.c_str()).HasParseError()) << r.output;
    EXPECT_STREQ(doc["device"]["root"].GetString(), "none");
    EXPECT_STREQ(doc["device"]["model"].GetString(), "Pixel 7");
    ASSERT_GT(doc["contacts"].Size(), 0u);
    ASSERT_GT(doc["threads"].Size(), 0u);
    for (const auto& contact : doc["contacts"].GetArray()) EXPECT_FALSE(contact["deleted"].GetBool());
    for (const auto& thread : doc["threads"].GetArray()) EXPECT_FALSE(thread["deleted"].GetBool());
    EXPECT_NE(errors().find("deleted ones need root"), std::string::npos) << errors();
}

TEST_F(CliPhone, SerialPicksThePhone) {
    const fs::path made = sample_phone("journal", false);
    phone_.listing("List of devices attached\nA1\tdevice\nB2\tdevice\n\n");
    // A1 is an empty phone of its own; B2 is the one with the sample.
    phone_.set("devices/A1/props", "[ro.product.model]: [Empty]\n");
    fs::create_directories(fs::path(phone_.phone_dir()) / "devices" / "B2");
    fs::rename(fs::path(phone_.phone_dir()) / "files", fs::path(phone_.phone_dir()) / "devices" / "B2" / "files");

    const auto count = [](const std::string& output) {
        rapidjson::Document doc;
        doc.Parse(output.c_str());
        return doc.IsObject() ? std::pair{std::string(doc["device"]["serial"].GetString()), doc["threads"].Size()}
                              : std::pair{std::string("?"), 0u};
    };
    EXPECT_EQ(count(cli({"--quiet", "phone", "--json"}).output), (std::pair{std::string("A1"), 0u}));
    const auto b2 = count(cli({"--quiet", "phone", "--json", "--serial", "B2"}).output);
    EXPECT_EQ(b2.first, "B2");
    EXPECT_GT(b2.second, 0u);
    const auto r = platform::run_captured({"/usr/bin/env", "TMPDIR=" + phone_.temp(), "QUEN_PHONE_SIM_DIR=" + phone_.phone_dir(),
                                           "ANDROID_SERIAL=B2", "/bin/sh", "-c", "exec \"$@\" 2>/dev/null", "sh",
                                           kCliProgram, "--adb", kPhoneSimProgram, "--quiet", "phone", "--json"},
                                          std::chrono::seconds(60));
    EXPECT_EQ(count(r.output), b2);
}

TEST_F(CliPhone, InterruptKillsTheHelperAndExitsWith130) {
    phone_.ready();
    phone_.set("delay-devices", "30000");
    const std::string pidfile = phone_.phone_dir() + "/pid-devices";
    // Start the command, wait until the helper lists devices, then Ctrl-C.
    const std::string script =
        "\"$@\" >/dev/null 2>&1 & p=$!; i=0; "
        "while [ ! -s \"$PIDFILE\" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done; "
        "kill -INT $p; wait $p; echo \"rc=$?\"";
    const auto r = platform::run_captured({"/usr/bin/env", "TMPDIR=" + phone_.temp(), "QUEN_PHONE_SIM_DIR=" + phone_.phone_dir(),
                                           "PIDFILE=" + pidfile, "/bin/sh", "-c", script, "sh", kCliProgram, "--adb",
                                           kPhoneSimProgram, "phone"},
                                          std::chrono::seconds(60));
    EXPECT_EQ(r.output, "rc=130\n");
    std::ifstream in(pidfile);
    long helper = 0;
    in >> helper;
    ASSERT_GT(helper, 0);
    // The helper was killed with the program, not left sleeping.
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        std::ifstream stat("/proc/" + std::to_string(helper) + "/stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        gone = !stat || (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z');
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(gone) << "helper " << helper;
}

TEST_F(CliPhone, InterruptDuringATransferLeavesNoCopy) {
    phone_.ready();
    phone_.rooted();
    phone_.put(std::string(kContactsFolder) + "/contacts2.db", std::string(200000, 'c'));
    phone_.set("pull-rate", "10000");  // twenty seconds for the first file
    const std::string pidfile = phone_.phone_dir() + "/pid-pull";
    // Start the command, wait until a part of the file has arrived, then Ctrl-C.
    const std::string script =
        "\"$@\" >/dev/null 2>&1 & p=$!; i=0; "
        "while [ ! -s \"$PIDFILE\" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done; sleep 0.5; "
        "kill -INT $p; wait $p; echo \"rc=$?\"";
    for (const char* command : {"phone", "acquire"}) {
        fs::remove(pidfile);
        const auto started = std::chrono::steady_clock::now();
        const auto r = platform::run_captured({"/usr/bin/env", "TMPDIR=" + phone_.temp(),
                                               "QUEN_PHONE_SIM_DIR=" + phone_.phone_dir(), "PIDFILE=" + pidfile,
                                               "/bin/sh", "-c", script, "sh", kCliProgram, "--adb", kPhoneSimProgram,
                                               command},
                                              std::chrono::seconds(60));
        EXPECT_EQ(r.output, "rc=130\n") << command;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << command;
        // Neither the partial copy nor (for phone) anything else stays behind.
        for (const auto& run : run_folders()) {
            EXPECT_NE(std::string(command), "phone") << run;
            EXPECT_FALSE(fs::exists(run + "/Quenfora/contacts2.db")) << run;
        }
    }
}

TEST_F(CliPhone, BadUsageExitsWithTwo) {
    EXPECT_EQ(cli({"devices", "--no-such-option"}).exit_code, 2);
}

TEST_F(CliPhone, RealAdbClientWithoutPhoneSaysNoDevice) {
    const std::string adb = "/usr/bin/adb";
    if (::access(adb.c_str(), X_OK) != 0) GTEST_SKIP() << "no " << adb;
    const auto r = cli({"devices"}, adb);
    // Stop the server it started, whatever the outcome.
    platform::run_captured({"/usr/bin/env", "TMPDIR=" + phone_.temp(), adb, "kill-server"}, std::chrono::seconds(10));
    EXPECT_FALSE(r.killed);
    if (r.output == "Ready\n" || r.output == "NotAuthorized\n")
        GTEST_SKIP() << "a phone is attached to this machine: " << r.output;
    EXPECT_EQ(r.output, "NoDevice\n");
}

}  // namespace
}  // namespace quen
