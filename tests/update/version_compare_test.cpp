#include <gtest/gtest.h>

#include "update/description/version_compare.h"

namespace quen::update {
namespace {

TEST(VersionCompare, NumbersPartByPart) {
    EXPECT_TRUE(is_newer_version("2.1.0.36", "2.1.0.35"));
    // A plain weight of the parts would call these not newer.
    EXPECT_TRUE(is_newer_version("2.2.0.1", "2.1.0.35"));
    EXPECT_TRUE(is_newer_version("2.1.9.35", "2.1.0.35"));
    EXPECT_TRUE(is_newer_version("3.0", "2.1.0.35"));
    EXPECT_TRUE(is_newer_version("10.0.0.0", "9.9.9.9"));  // numbers, not text order
    EXPECT_TRUE(is_newer_version("2.1.0.100", "2.1.0.99"));
    EXPECT_TRUE(is_newer_version("2.1.0.35.1", "2.1.0.35"));

    EXPECT_FALSE(is_newer_version("2.1.0.35", "2.1.0.35"));
    EXPECT_FALSE(is_newer_version("2.1.0.34", "2.1.0.35"));
    EXPECT_FALSE(is_newer_version("2.0.9.99", "2.1.0.35"));
    EXPECT_FALSE(is_newer_version("2.1", "2.1.0.35"));      // 2.1.0.0
    EXPECT_FALSE(is_newer_version("1.99.99.99", "2.1.0.35"));
}

TEST(VersionCompare, MissingPartsAndLeadingZerosCountAsEqual) {
    EXPECT_EQ(compare_versions("3.0", "3.0.0.0"), 0);
    EXPECT_EQ(compare_versions("2.01.0.035", "2.1.0.35"), 0);
    EXPECT_EQ(compare_versions("2.1.0.0", "2.1"), 0);
    EXPECT_LT(*compare_versions("2.1", "2.1.0.1"), 0);
    EXPECT_GT(*compare_versions("2.1.0.1", "2.1"), 0);
}

TEST(VersionCompare, HugePartsDoNotOverflow) {
    EXPECT_TRUE(is_newer_version("2.1.0.99999999999999999999999", "2.1.0.35"));
    EXPECT_TRUE(is_newer_version("99999999999999999999.0", "18446744073709551615.0"));
    EXPECT_FALSE(is_newer_version("18446744073709551615.0", "99999999999999999999.0"));
}

TEST(VersionCompare, TextThatIsNoVersionIsNeverNewer) {
    for (const char* bad : {"", ".", "2..1", "2.1.", ".2.1", "2.1.0.36a", "v2.2", " 2.2", "2.2 ", "+3.0", "-1",
                            "3.0-beta", "3,0", "abc", "9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9.9"}) {
        EXPECT_FALSE(is_newer_version(bad, "2.1.0.35")) << '"' << bad << '"';
        EXPECT_FALSE(compare_versions(bad, "2.1.0.35").has_value()) << '"' << bad << '"';
    }
    EXPECT_FALSE(is_newer_version("3.0", "not a version"));
}

}  // namespace
}  // namespace quen::update
