// quenfora-cli carve on a card made the way a phone's card is (a real FAT32,
// files from real encoders, some deleted, fragmented or cut): every file that
// lies whole and in one piece comes back byte for byte. The card needs the
// encoders that scripts/setup-deps installs; without them the test says
// which are missing and is skipped.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "test_support/cli_run.h"
#include "test_support/files.h"

namespace {

namespace fs = std::filesystem;
using quen::test::read_file;
using quen::test::shell_quote;

const std::string kMakePhoneCard = QUEN_SOURCE_DIR "/tools/make-sample-card/make-phone-card";

class PhoneCard : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const auto [missing, rc] = quen::test::run_command(kMakePhoneCard + " --check 2>&1");
        if (rc != 0) {
            skip_ = "the phone card's encoders are missing: " + missing;
            return;
        }
        tmp_ = std::make_unique<quen::test::TempDir>("quen-phonecard");
        card_ = tmp_->path() + "/card.img";
        const auto made = quen::test::run_command(kMakePhoneCard + " " + shell_quote(card_) + " --seed 7 2>&1");
        ASSERT_EQ(made.second, 0) << made.first;
        key_.Parse(read_file(card_ + ".key.json").c_str());
        ASSERT_TRUE(key_.IsObject());
    }
    static void TearDownTestSuite() { tmp_.reset(); }
    void SetUp() override {
        if (!skip_.empty()) GTEST_SKIP() << skip_;
    }

    static std::string skip_;
    static std::unique_ptr<quen::test::TempDir> tmp_;
    static std::string card_;
    static rapidjson::Document key_;
};
std::string PhoneCard::skip_;
std::unique_ptr<quen::test::TempDir> PhoneCard::tmp_;
std::string PhoneCard::card_;
rapidjson::Document PhoneCard::key_;

TEST_F(PhoneCard, EveryWholeFileComesBackByteForByte) {
    const std::string out = tmp_->path() + "/out";
    const auto [json, rc] = quen::test::run_command(quen::test::kCliProgram + " --quiet carve " + shell_quote(card_) +
                                                    " --out " + shell_quote(out) + " --json 2>/dev/null");
    ASSERT_EQ(rc, 0) << json;
    rapidjson::Document d;
    d.Parse(json.c_str());
    ASSERT_TRUE(d.IsObject()) << json;
    // Written files by sector number, the name's first part.
    std::map<std::string, fs::path> written;
    for (const auto& e : fs::recursive_directory_iterator(out))
        if (e.is_regular_file()) {
            const std::string name = e.path().filename().string();
            written[name.substr(0, name.find('.'))] = e.path();
        }
    const std::string image = read_file(card_);
    size_t exact = 0, expected = 0;
    std::map<std::string, int> kinds;
    for (const auto& f : key_["files"].GetArray()) {
        if (!f["exact"].GetBool()) continue;
        ++expected;
        const std::string kind = f["kind"].GetString();
        const uint64_t offset = f["offset"].GetUint64(), size = f["size"].GetUint64();
        auto it = written.find(std::to_string(offset / 512));
        if (it == written.end()) {
            ADD_FAILURE() << kind << " " << f["path"].GetString() << " at " << offset << " not found";
            continue;
        }
        if (read_file(it->second) != image.substr(offset, size)) {
            ADD_FAILURE() << kind << " " << f["path"].GetString() << " came back as " << it->second << " of "
                          << fs::file_size(it->second) << " bytes, not " << size;
            continue;
        }
        ++exact;
        ++kinds[kind];
    }
    EXPECT_EQ(exact, expected);
    EXPECT_GE(kinds.size(), 23u) << "kinds that came back";
}

}  // namespace
