// The devices and acquire commands, run as the user runs them.
#include <stdlib.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/process.h"

namespace quen {
namespace {

namespace fs = std::filesystem;
const std::string kCli = QUEN_BINARY_DIR "/src/app/quenfora-cli";
const std::string kSim = QUEN_BINARY_DIR "/tools/phone-sim/phone-sim";

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
    CapturedRun cli(const std::vector<std::string>& args, const std::string& adb = kSim) {
        std::vector<std::string> argv = {"/usr/bin/env", "TMPDIR=" + temp_.string(),
                                         "QUEN_PHONE_SIM_DIR=" + phone_.string(),
                                         "/bin/sh", "-c", "exec \"$@\" 2>/dev/null", "sh", kCli};
        if (!adb.empty()) {
            argv.push_back("--adb");
            argv.push_back(adb);
        }
        argv.insert(argv.end(), args.begin(), args.end());
        return run_captured(argv, std::chrono::seconds(60));
    }
    void write(const fs::path& p, const std::string& text) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
    }
    void put(const std::string& remote, const std::string& content) { write(phone_ / ("files" + remote), content); }

    fs::path root_, phone_, temp_;
};

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

TEST_F(CliPhone, BadUsageExitsWithTwo) {
    EXPECT_EQ(cli({"devices", "--no-such-option"}).exit_code, 2);
}

TEST_F(CliPhone, RealAdbClientWithoutPhoneSaysNoDevice) {
    const std::string adb = "/usr/bin/adb";
    if (::access(adb.c_str(), X_OK) != 0) GTEST_SKIP() << "no " << adb;
    const auto r = cli({"devices"}, adb);
    // Stop the server it started, whatever the outcome.
    run_captured({"/usr/bin/env", "TMPDIR=" + temp_.string(), adb, "kill-server"}, std::chrono::seconds(10));
    EXPECT_FALSE(r.killed);
    if (r.output == "Ready\n" || r.output == "NotAuthorized\n")
        GTEST_SKIP() << "a phone is attached to this machine: " << r.output;
    EXPECT_EQ(r.output, "NoDevice\n");
}

}  // namespace
}  // namespace quen
