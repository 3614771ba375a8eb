#include "phone/remote_file.h"

#include <gtest/gtest.h>

#include "phone/device_info.h"
#include "phone/root_access.h"

namespace quen::phone {
namespace {

TEST(RemoteFile, StatAndTheThreeLsFormats) {
    auto file = parse_stat_line("274432 660");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size, 274432u);
    EXPECT_EQ(file->mode, 0660u);
    EXPECT_FALSE(parse_stat_line("stat: not found"));
    EXPECT_FALSE(parse_stat_line("12 9"));  // not octal

    for (const char* line : {"-rw-rw---- u0_a4    u0_a4      274432 2014-06-10 10:21 contacts2.db",
                             "-rw-rw---- 1 u0_a4 u0_a4 274432 2020-06-10 10:21 contacts2.db",
                             "-rw-rw----    1 10004    10004       274432 Jun 10 10:21 contacts2.db"}) {
        file = parse_ls_line(line);
        ASSERT_TRUE(file) << line;
        EXPECT_EQ(file->size, 274432u) << line;
        EXPECT_EQ(file->mode, 0660u) << line;
    }
    file = parse_ls_line("-rwsr-x--T 1 root root 12 2020-01-01 00:00 x");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->mode, 05750u);
    EXPECT_FALSE(parse_ls_line("drwxrwx--x 1 u0_a4 u0_a4 4096 2020-01-01 00:00 databases"));
    EXPECT_FALSE(parse_ls_line("/data/x: No such file or directory"));
}

TEST(RemoteFile, RootWrappingAndPhoneProperties) {
    EXPECT_EQ(as_root(RootMethod::SuC, "cat '/a b'"), "su -c 'cat '\\''/a b'\\'''");
    EXPECT_EQ(as_root(RootMethod::Su0, "id"), "su 0 sh -c 'id'");
    EXPECT_EQ(as_root(RootMethod::AdbRoot, "id"), "id");
    const auto info = device_info_from_props(parse_getprop(
        "[ro.product.model]: [SM-A515F]\r\n[ro.product.manufacturer]: [samsung]\r\n"
        "[ro.build.version.release]: [13]\r\n[ro.build.version.sdk]: [33]\r\n[ro.debuggable]: [0]\r\nnoise\r\n"));
    EXPECT_EQ(describe_device(info), "samsung SM-A515F, Android 13 (API 33)");
    EXPECT_FALSE(info.debuggable);
    EXPECT_EQ(describe_device(DeviceInfo{}), "unknown phone");
}

}  // namespace
}  // namespace quen::phone
