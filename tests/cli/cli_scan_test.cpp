// quenfora-cli scan and carve --out, end to end: files come back byte for
// byte, a full output disk is reported with exit code 1, Ctrl-C ends the scan
// with 130.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "test_support/cli_run.h"
#include "test_support/files.h"

namespace {

namespace fs = std::filesystem;
const std::string kCli = QUEN_BINARY_DIR "/bin/quenfora-cli";
const std::string kCard = QUEN_BINARY_DIR "/tools/make-sample-card/make-sample-card";

using quen::test::read_file;
using quen::test::shell_quote;

std::pair<std::string, int> run(const std::string& cmd) {
    return quen::test::run_command("sh -c " + shell_quote(cmd) + " 2>/dev/null");
}

class CliScan : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tmp_ = std::make_unique<quen::test::TempDir>("quen-cliscan");
        dir_ = tmp_->path();
        card_ = dir_ + "/card.img";
        ASSERT_EQ(run(kCard + " " + shell_quote(card_) + " --seed 21").second, 0);
        image_ = read_file(card_);
        rapidjson::Document d;
        d.Parse(read_file(card_ + ".expected.json").c_str());
        ASSERT_TRUE(d.IsObject());
        for (const auto& f : d["files"].GetArray())
            expected_[f["name"].GetString()] = {f["offset"].GetUint64(), f["size"].GetUint64()};
    }
    static void TearDownTestSuite() { tmp_.reset(); }

    // Files under `folder` by name; each must equal its original.
    static size_t check_written(const std::string& folder) {
        size_t same = 0;
        for (const auto& e : fs::recursive_directory_iterator(folder)) {
            if (!e.is_regular_file()) continue;
            auto it = expected_.find(e.path().filename().string());
            EXPECT_NE(it, expected_.end()) << e.path();
            if (it == expected_.end()) continue;
            EXPECT_EQ(read_file(e.path()), image_.substr(it->second.first, it->second.second)) << e.path();
            ++same;
        }
        return same;
    }

    static std::unique_ptr<quen::test::TempDir> tmp_;
    static std::string dir_, card_, image_;
    static std::map<std::string, std::pair<uint64_t, uint64_t>> expected_;
};
std::unique_ptr<quen::test::TempDir> CliScan::tmp_;
std::string CliScan::dir_, CliScan::card_, CliScan::image_;
std::map<std::string, std::pair<uint64_t, uint64_t>> CliScan::expected_;

TEST_F(CliScan, ScanAndCarveRecoverTheOriginals) {
    const std::string out = dir_ + "/out scan";
    auto [json, rc] = run(kCli + " --quiet scan --image " + shell_quote(card_) + " --image " + shell_quote(card_) +
                          " --out " + shell_quote(out) + " --json");
    ASSERT_EQ(rc, 0) << json;
    rapidjson::Document d;
    d.Parse(json.c_str());
    ASSERT_TRUE(d.IsObject()) << json;
    ASSERT_EQ(d["disks"].Size(), 2u);
    EXPECT_EQ(d["disks"][0]["bytes_read"].GetUint64(), image_.size());
    const size_t found = d["disks"][0]["files"].Size();
    EXPECT_EQ(d["written"].GetUint64(), 2 * found);
    EXPECT_EQ(d["failed"].Size(), 0u);
    const std::string folder = d["output_folder"].GetString();
    EXPECT_EQ(fs::path(folder).parent_path(), fs::path(out));
    // One folder per disk, though both were written within the same second.
    size_t disks = 0;
    for (const auto& e : fs::directory_iterator(folder)) disks += e.path().filename().string().rfind("disk", 0) == 0;
    EXPECT_EQ(disks, 2u);
    EXPECT_EQ(check_written(folder), 2 * found);
    EXPECT_GT(found, expected_.size() / 2);

    auto [text, rc2] = run(kCli + " --quiet carve " + shell_quote(card_) + " --out " + shell_quote(dir_ + "/out carve"));
    ASSERT_EQ(rc2, 0);
    EXPECT_NE(text.find(std::to_string(found) + " files written to " + dir_ + "/out carve/Retrivane"),
              std::string::npos)
        << text;
    EXPECT_EQ(check_written(dir_ + "/out carve"), found);
}

TEST_F(CliScan, FullOutputDiskIsReportedWithExitCode1) {
    // A 64 KiB file-size limit stands in for a full disk; the ignored SIGXFSZ
    // makes the writes fail instead of killing the program.
    const std::string out = dir_ + "/out full";
    // bash counts -f in KiB.
    auto [json, rc] = run("bash -c " + shell_quote("trap '' XFSZ; ulimit -f 64; exec " + kCli + " --quiet carve " +
                                                   shell_quote(card_) + " --out " + shell_quote(out) + " --json"));
    EXPECT_EQ(rc, 1);
    rapidjson::Document d;
    d.Parse(json.c_str());
    ASSERT_TRUE(d.IsObject()) << json;
    size_t big = 0;
    for (const auto& f : d["files"].GetArray()) big += f["size"].GetUint64() > 64 * 1024;
    ASSERT_GT(big, 0u);
    EXPECT_EQ(d["failed"].Size(), big);
    EXPECT_EQ(d["written"].GetUint64(), d["files"].Size() - big);
    for (const auto& f : d["failed"].GetArray())
        EXPECT_NE(std::string(f["reason"].GetString()).find("write failed"), std::string::npos);
}

TEST_F(CliScan, CtrlCStopsTheScanWith130) {
    // A large sparse image carves for a while; the signal goes out once the
    // first progress line shows the scan under way.
    const std::string big = dir_ + "/big.img";
    { std::ofstream(big, std::ios::binary); }
    fs::resize_file(big, 16ULL << 30);
    int err[2];
    ASSERT_EQ(::pipe(err), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(err[1], 2);
        ::close(err[0]);
        ::close(err[1]);
        std::freopen("/dev/null", "w", stdout);
        const std::string out = dir_ + "/out stopped";
        ::execl(kCli.c_str(), kCli.c_str(), "scan", "--image", big.c_str(), "--out", out.c_str(), nullptr);
        _exit(127);
    }
    ::close(err[1]);
    std::string seen;
    char buf[4096];
    while (seen.find("disk 1/1") == std::string::npos) {
        ssize_t n = ::read(err[0], buf, sizeof buf);
        if (n <= 0) break;
        seen.append(buf, static_cast<size_t>(n));
    }
    ASSERT_NE(seen.find("disk 1/1"), std::string::npos) << seen;
    ::kill(pid, SIGINT);
    while (::read(err[0], buf, sizeof buf) > 0) {
    }
    ::close(err[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_FALSE(fs::exists(dir_ + "/out stopped")) << "a stopped scan writes nothing";
    fs::remove(big);
}

}  // namespace
