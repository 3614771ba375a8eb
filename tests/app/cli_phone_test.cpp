// The devices and acquire commands, run as the user runs them.
#include <stdlib.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <rapidjson/document.h>

#include "platform/process.h"

namespace quen {
namespace {

namespace fs = std::filesystem;
const std::string kCli = QUEN_BINARY_DIR "/src/app/quenfora-cli";
const std::string kSim = QUEN_BINARY_DIR "/tools/phone-sim/phone-sim";
const std::string kMakeSamplePhone = QUEN_BINARY_DIR "/tools/make-sample-phone/make-sample-phone";
const std::string kContactsDb = "/data/data/com.android.providers.contacts/databases/contacts2.db";
const std::string kMessagesDb = "/data/data/com.android.providers.telephony/databases/mmssms.db";

class CliPhone : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path().string() + "/quen cli XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        phone_ = root_ / "phone";
        temp_ = root_ / "tmp dir";
        fs::create_directories(phone_);
        fs::create_directories(temp_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Runs quenfora-cli with the simulator as helper; stdout only.
    platform::CapturedRun cli(const std::vector<std::string>& args, const std::string& adb = kSim) {
        std::vector<std::string> argv = {"/usr/bin/env", "TMPDIR=" + temp_.string(),
                                         "QUEN_PHONE_SIM_DIR=" + phone_.string(),
                                         "/bin/sh", "-c", "exec \"$@\" 2>/dev/null", "sh", kCli};
        if (!adb.empty()) {
            argv.push_back("--adb");
            argv.push_back(adb);
        }
        argv.insert(argv.end(), args.begin(), args.end());
        return platform::run_captured(argv, std::chrono::seconds(60));
    }
    void write(const fs::path& p, const std::string& text) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
    }
    void put(const std::string& remote, const std::string& content) { write(phone_ / ("files" + remote), content); }

    // A rooted phone holding the sample databases.
    void sample_phone() {
        const fs::path made = root_ / "made";
        const auto r = platform::run_captured({kMakeSamplePhone, made.string()}, std::chrono::seconds(60));
        ASSERT_EQ(r.exit_code, 0) << r.output;
        write(phone_ / "listing", "List of devices attached\nemulator-5554\tdevice\n\n");
        write(phone_ / "root", "");
        fs::create_directories((phone_ / ("files" + kContactsDb)).parent_path());
        fs::create_directories((phone_ / ("files" + kMessagesDb)).parent_path());
        fs::copy_file(made / "contacts2.db", phone_ / ("files" + kContactsDb));
        fs::copy_file(made / "mmssms.db", phone_ / ("files" + kMessagesDb));
    }

    fs::path root_, phone_, temp_;
};

bool deleted_first(const rapidjson::Value& list) {
    bool live_seen = false;
    for (const auto& item : list.GetArray()) {
        if (!item["deleted"].GetBool()) live_seen = true;
        else if (live_seen) return false;
    }
    return true;
}

TEST_F(CliPhone, DevicesPrintsTheStateTheListingImplies) {
    EXPECT_EQ(cli({"devices"}).output, "NoDevice\n");
    write(phone_ / "listing", "List of devices attached\r\nA1\tunauthorized\r\nB2\tdevice\r\n\r\n");
    EXPECT_EQ(cli({"devices"}).output, "NotAuthorized\n");
    write(phone_ / "listing", "List of devices attached\nemulator-5554\tdevice\n\n");
    const auto r = cli({"devices"});
    EXPECT_EQ(r.output, "Ready\n");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(cli({"devices"}, "/nonexistent/adb").output, "NoDevice\n");
}

TEST_F(CliPhone, AcquirePullsARootedPhoneIntoTheWorkFolder) {
    write(phone_ / "listing", "List of devices attached\nemulator-5554\tdevice\n\n");
    write(phone_ / "root", "");
    put("/data/data/com.android.providers.contacts/databases/contacts2.db", "0123456789");
    put("/data/data/com.android.providers.contacts/databases/contacts2.db-wal", "wal");
    put("/data/data/com.android.providers.telephony/databases/mmssms.db", "12345");
    // Left from an earlier run: must not survive beside the fresh copy.
    write(temp_ / "quenfora-recovery-for-android" / "mmssms.db-wal", "stale log");

    const auto r = cli({"acquire"});
    const std::string t = temp_.string() + "/";
    const std::string want = "Ready\n" +
                             t + "Quenfora/contacts2.db\t10\n" +
                             t + "Quenfora/bak/contacts2.db\t10\n" +
                             t + "Quenfora/contacts2.db-shm\tabsent\n" +
                             t + "Quenfora/contacts2.db-wal\t3\n" +
                             t + "quenfora-recovery-for-android/mmssms.db\t5\n" +
                             t + "quenfora-recovery-for-android/bak/mmssms.db\t5\n" +
                             t + "quenfora-recovery-for-android/mmssms.db-shm\tabsent\n" +
                             t + "quenfora-recovery-for-android/mmssms.db-wal\tabsent\n";
    EXPECT_EQ(r.output, want);
    EXPECT_EQ(r.exit_code, 0);

    // Without root the phone is still Ready and nothing lands.
    fs::remove(phone_ / "root");
    fs::remove(phone_ / "readable");
    const auto r2 = cli({"acquire"});
    std::istringstream lines(r2.output);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "Ready");
    int absent = 0;
    while (std::getline(lines, line)) absent += line.size() > 7 && line.compare(line.size() - 7, 7, "\tabsent") == 0;
    EXPECT_EQ(absent, 8) << r2.output;
}

TEST_F(CliPhone, PhoneWritesBothReportPagesOfARootedPhone) {
    sample_phone();
    const fs::path out = root_ / "out dir";
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
    ASSERT_EQ(printed.size(), 2u) << r.output;
    EXPECT_EQ(printed[0].filename(), "Contacts.html");
    EXPECT_EQ(printed[1].filename(), "Messages.html");
    EXPECT_EQ(printed[0].parent_path().parent_path(), printed[1].parent_path().parent_path());
    EXPECT_EQ(printed[0].parent_path().parent_path().parent_path(), out);
    EXPECT_EQ(printed[0].parent_path().parent_path().filename().string().rfind("Retrivane", 0), 0u);
    EXPECT_EQ(printed[0].parent_path().filename().string().rfind("Contacts (", 0), 0u);
    EXPECT_EQ(printed[1].parent_path().filename().string().rfind("Messages (", 0), 0u);
    for (const auto& page : printed) EXPECT_GT(fs::file_size(page), 0u) << page;

    // Once the pages are written the pulled databases are gone from the temporary folder.
    EXPECT_FALSE(fs::exists(temp_ / "Quenfora" / "contacts2.db"));
    EXPECT_FALSE(fs::exists(temp_ / "Quenfora" / "bak" / "contacts2.db"));
    EXPECT_FALSE(fs::exists(temp_ / "quenfora-recovery-for-android" / "mmssms.db"));
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
    EXPECT_EQ(r.output, "{\"state\":\"NoDevice\",\"contacts\":[],\"threads\":[]}\n");
    write(phone_ / "listing", "List of devices attached\nA1\toffline\n\n");
    r = cli({"phone"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, "NotAuthorized\n");

    // Without root the phone is Ready and the sequence completes, empty.
    write(phone_ / "listing", "List of devices attached\nemulator-5554\tdevice\n\n");
    r = cli({"--quiet", "phone", "--json"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output, "{\"state\":\"Ready\",\"contacts\":[],\"threads\":[]}\n");
}

TEST_F(CliPhone, InterruptKillsTheHelperAndExitsWith130) {
    write(phone_ / "listing", "List of devices attached\nemulator-5554\tdevice\n\n");
    write(phone_ / "delay-devices", "30000");
    const std::string pidfile = (phone_ / "pid-devices").string();
    // Start the command, wait until the helper lists devices, then Ctrl-C.
    const std::string script =
        "\"$@\" >/dev/null 2>&1 & p=$!; i=0; "
        "while [ ! -s \"$PIDFILE\" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done; "
        "kill -INT $p; wait $p; echo \"rc=$?\"";
    const auto r = platform::run_captured({"/usr/bin/env", "TMPDIR=" + temp_.string(), "QUEN_PHONE_SIM_DIR=" + phone_.string(),
                                 "PIDFILE=" + pidfile, "/bin/sh", "-c", script, "sh", kCli, "--adb", kSim, "phone"},
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

TEST_F(CliPhone, BadUsageExitsWithTwo) {
    EXPECT_EQ(cli({"devices", "--no-such-option"}).exit_code, 2);
}

TEST_F(CliPhone, RealAdbClientWithoutPhoneSaysNoDevice) {
    const std::string adb = "/usr/bin/adb";
    if (::access(adb.c_str(), X_OK) != 0) GTEST_SKIP() << "no " << adb;
    const auto r = cli({"devices"}, adb);
    // Stop the server it started, whatever the outcome.
    platform::run_captured({"/usr/bin/env", "TMPDIR=" + temp_.string(), adb, "kill-server"}, std::chrono::seconds(10));
    EXPECT_FALSE(r.killed);
    if (r.output == "Ready\n" || r.output == "NotAuthorized\n")
        GTEST_SKIP() << "a phone is attached to this machine: " << r.output;
    EXPECT_EQ(r.output, "NoDevice\n");
}

}  // namespace
}  // namespace quen
