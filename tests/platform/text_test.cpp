#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/local_time.h"
#include "platform/paths.h"
#include "platform/utf8.h"

using namespace quen;
using namespace quen::platform;

TEST(Utf8, ValidTextPassesThroughByteForByte) {
    const std::string s = "Zo\xC3\xAB \xE4\xBD\xA0\xE5\xA5\xBD \xF0\x9F\x98\x80 \xD0\x90";
    EXPECT_TRUE(platform::is_valid_utf8(s));
    EXPECT_EQ(platform::sanitize_utf8(s), s);
}

TEST(Utf8, IllFormedSequencesBecomeReplacementCharacters) {
    EXPECT_EQ(platform::sanitize_utf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(platform::sanitize_utf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");        // overlong
    EXPECT_EQ(platform::sanitize_utf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
    EXPECT_EQ(platform::sanitize_utf8("x\xE4\xBD"), "x\xEF\xBF\xBD");                   // cut at the end
    EXPECT_EQ(platform::sanitize_utf8("\xE4\xBD" "z"), "\xEF\xBF\xBD" "z");
    EXPECT_FALSE(platform::is_valid_utf8("\xF4\x90\x80\x80"));                          // above U+10FFFF
    EXPECT_TRUE(platform::is_valid_utf8(platform::sanitize_utf8("\xF4\x90\x80\x80\xC3")));
}

TEST(Paths, TempFolderFollowsTmpdirAndEndsWithSlash) {
    const char* old = std::getenv("TMPDIR");
    std::string saved = old ? old : "";
    setenv("TMPDIR", "/some where", 1);
    EXPECT_EQ(platform::temp_folder(), "/some where/");
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(platform::temp_folder(), "/tmp/");
    if (old) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
    EXPECT_FALSE(platform::program_folder().empty());
}

TEST(LocalTime, MillisecondsBecomeLocalTimeText) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(platform::local_time_from_millis(0), "1970-01-01 00:00:00");
    EXPECT_EQ(platform::local_time_from_millis(1700000000123LL), "2023-11-14 22:13:20");
    EXPECT_EQ(platform::local_time_from_millis(-1), "1969-12-31 23:59:59");
}
