// quenfora-cli carve and scan on a card with bad sectors: a library put in
// front of pread (LD_PRELOAD) makes chosen ranges of the image unreadable,
// or the whole card vanish from an offset on, as a failing or unplugged card
// does. The scan goes on past bad sectors to the card's end and names them;
// a card that goes away is a failure.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "test_support/cli_run.h"
#include "test_support/files.h"

namespace {

using quen::test::shell_quote;
const std::string kCard = QUEN_BINARY_DIR "/tools/make-sample-card/make-sample-card";
constexpr uint64_t kMiB = 1024 * 1024;

struct Outcome {
    rapidjson::Document json;
    std::string err;
    int rc = -1;
};

class BadSectors : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tmp_ = std::make_unique<quen::test::TempDir>("quen-badsectors");
        card_ = tmp_->path() + "/card.img";
        ASSERT_EQ(quen::test::run_command(kCard + " " + shell_quote(card_) + " --seed 5 >/dev/null").second, 0);
    }
    static void TearDownTestSuite() { tmp_.reset(); }

    // Runs the command line with the failing reads set up by `env`.
    static Outcome run(const std::string& env, const std::string& args) {
        const std::string err = tmp_->path() + "/stderr";
        const std::string line = "ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=" + shell_quote(QUEN_FAIL_READS) +
                                 " QUEN_FAIL_FILE=" + shell_quote(card_) + " " + env + " " +
                                 quen::test::kCliProgram + " --quiet " + args + " 2>" + shell_quote(err);
        auto [out, rc] = quen::test::run_command(line);
        Outcome r;
        r.json.Parse(out.c_str());
        r.err = quen::test::read_file(err);
        r.rc = rc;
        return r;
    }

    using File = std::tuple<uint64_t, uint64_t, std::string>;  // offset, size, name
    static std::set<File> files_of(const rapidjson::Value& list) {
        std::set<File> out;
        for (const auto& f : list.GetArray())
            out.insert({f["offset"].GetUint64(), f["size"].GetUint64(), f["name"].GetString()});
        return out;
    }

    static std::unique_ptr<quen::test::TempDir> tmp_;
    static std::string card_;
};
std::unique_ptr<quen::test::TempDir> BadSectors::tmp_;
std::string BadSectors::card_;

TEST_F(BadSectors, CarvedToTheEndWithTheBadRangesNamed) {
    const Outcome good = run("", "carve " + shell_quote(card_) + " --json");
    ASSERT_EQ(good.rc, 0) << good.err;
    ASSERT_TRUE(good.json.IsObject());
    EXPECT_EQ(good.json["unreadable"].Size(), 0u);

    const std::string bad = "QUEN_FAIL_RANGES=" + std::to_string(8 * kMiB) + ":4096," + std::to_string(40 * kMiB + 512) + ":512";
    const Outcome r = run(bad, "carve " + shell_quote(card_) + " --json");
    ASSERT_EQ(r.rc, 0) << r.err;
    ASSERT_TRUE(r.json.IsObject()) << r.err;
    const auto& u = r.json["unreadable"];
    ASSERT_EQ(u.Size(), 2u);
    EXPECT_EQ(u[0]["offset"].GetUint64(), 8 * kMiB);
    EXPECT_EQ(u[0]["length"].GetUint64(), 4096u);
    EXPECT_EQ(u[1]["offset"].GetUint64(), 40 * kMiB + 512);
    EXPECT_EQ(u[1]["length"].GetUint64(), 512u);
    EXPECT_EQ(r.json["bytes_read"].GetUint64(), good.json["bytes_read"].GetUint64() - 4608);
    EXPECT_NE(r.err.find("unreadable: 4096 bytes at offset 8388608"), std::string::npos) << r.err;
    // Every file that does not touch a bad range is found as before,
    // including all those after them.
    const auto before = files_of(good.json["files"]), after = files_of(r.json["files"]);
    size_t later = 0;
    for (const File& f : before) {
        const uint64_t lo = std::get<0>(f), hi = lo + std::get<1>(f);
        const bool touches = (lo < 8 * kMiB + 4096 && hi > 8 * kMiB) || (lo < 40 * kMiB + 1024 && hi > 40 * kMiB + 512);
        if (touches) continue;
        EXPECT_EQ(after.count(f), 1u) << std::get<2>(f);
        later += lo > 40 * kMiB;
    }
    EXPECT_GT(later, 3u);

    // The storage scan reports them for its disk.
    const Outcome scan = run(bad, "scan --image " + shell_quote(card_) + " --json");
    ASSERT_EQ(scan.rc, 0) << scan.err;
    ASSERT_TRUE(scan.json.IsObject());
    EXPECT_EQ(scan.json["disks"][0]["unreadable"].Size(), 2u);
}

TEST_F(BadSectors, ACardThatGoesAwayIsAFailure) {
    const std::string gone = "QUEN_FAIL_GONE_FROM=" + std::to_string(30 * kMiB);
    const Outcome r = run(gone, "carve " + shell_quote(card_) + " --json");
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("the device stopped answering at byte 31457280"), std::string::npos) << r.err;
    // What was found before it went is still listed.
    ASSERT_TRUE(r.json.IsObject());
    EXPECT_GT(r.json["files"].Size(), 10u);
    EXPECT_EQ(r.json["bytes_read"].GetUint64(), 30 * kMiB);

    const Outcome scan = run(gone, "scan --image " + shell_quote(card_) + " --json");
    EXPECT_EQ(scan.rc, 1);
    ASSERT_TRUE(scan.json.IsObject());
    EXPECT_NE(std::string(scan.json["disks"][0]["error"].GetString()).find("stopped answering"), std::string::npos);
}

}  // namespace
