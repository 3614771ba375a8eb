// The format table, the -t names and the extractor each row carries.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cdr/formats/format_table.h"

namespace quen::cdr {
namespace {

TEST(FormatTable, BuiltinRowsInSearchOrderWithTheirLimits) {
    const auto& t = builtin_formats();
    // The first fourteen rows in their order, then what phones write.
    ASSERT_EQ(t.size(), 23u);
    const char* exts[] = {"jpg", "gif", "bmp", "wmv", "mov", "rif", "htm", "ole", "zip", "rar", "exe", "png",
                          "mpg", "pdf", "mp4", "heic", "webp", "mp3", "ogg", "amr", "awb", "db", "vcf"};
    const int types[] = {0, 1, 2, 7, 10, 17, 8, 15, 9, 25, 26, 24, 3, 4, 40, 41, 44, 45, 46, 47, 48, 49, 50};
    for (size_t i = 0; i < t.size(); ++i) {
        EXPECT_STREQ(t[i].extension, exts[i]);
        EXPECT_EQ(static_cast<int>(t[i].type), types[i]) << exts[i];
        EXPECT_EQ(t[i].case_sensitive, std::string(exts[i]) != "htm" && std::string(exts[i]) != "vcf");
        EXPECT_NE(t[i].extractor, nullptr) << exts[i];
        // A row read through a window keeps the read-ahead buffer in bounds.
        if (!t[i].fetches) EXPECT_LE(t[i].max_length, 100u * 1024 * 1024) << exts[i];
    }
    // Today's phones write 40 MB photos and multi-gigabyte videos.
    EXPECT_GE(t[0].max_length, 40u * 1024 * 1024);
    EXPECT_GE(t[4].max_length, 4ull << 30);
    EXPECT_GE(t[14].max_length, 4ull << 30);
    // Signatures that lie inside the file: "moov" and "ftyp" after a size.
    EXPECT_EQ(t[4].header_offset, 4u);
    EXPECT_EQ(t[14].header_offset, 4u);
    EXPECT_EQ(t[7].header.size(), 16u);           // OLE signature and 8 zero bytes
    EXPECT_EQ(t[8].footer, (std::vector<uint8_t>{0x4B, 0x05, 0x06, 0x00}));
    EXPECT_EQ(t[9].footer, std::vector<uint8_t>(8, 0));
    EXPECT_EQ(t[1].markers.size(), 1u);
    EXPECT_EQ(t[12].markers.size(), 1u);
    EXPECT_EQ(t[13].markers.size(), 4u);
}

TEST(FormatTable, NamesSetUpTheirOwnRows) {
    EXPECT_EQ(formats_for_name("all").size(), 23u);
    EXPECT_TRUE(formats_for_name("JPG").empty());  // names compare case-sensitively
    EXPECT_TRUE(formats_for_name("tiff").empty());
    EXPECT_TRUE(formats_for_name("").empty());

    const auto jpeg = formats_for_name("jpeg");
    ASSERT_EQ(jpeg.size(), 1u);
    EXPECT_STREQ(jpeg[0].extension, "jpg");
    // The zip name's footer is the whole end record signature.
    EXPECT_EQ(formats_for_name("zip").at(0).footer, (std::vector<uint8_t>{0x50, 0x4B, 0x05, 0x06}));
    EXPECT_EQ(formats_for_name("sxc").at(0).footer, (std::vector<uint8_t>{0x4B, 0x05, 0x06, 0x00}));
    EXPECT_EQ(formats_for_name("office").at(0).max_length, 0xA00000u);
    EXPECT_EQ(formats_for_name("doc").at(0).type, FormatType::Doc);
    EXPECT_EQ(formats_for_name("vjpeg").at(0).header, (std::vector<uint8_t>{'p', 'n', 'o', 't'}));
    EXPECT_STREQ(formats_for_name("vjpeg").at(0).extension, "mov");
    EXPECT_EQ(formats_for_name("pdf").at(0).markers.size(), 4u);
    EXPECT_EQ(formats_for_name("pdf").at(0).max_length, 20u * 1024 * 1024);
    EXPECT_FALSE(formats_for_name("html").at(0).case_sensitive);
    EXPECT_EQ(formats_for_name("cpp").at(0).markers.size(), 1u);

    const char* names[] = {"jpg", "jpeg", "gif", "bmp", "exe", "elf", "reg", "mpg", "mpeg", "wmv",
                           "avi", "rif", "wav", "html", "htm", "ole", "office", "doc", "xls", "ppt",
                           "zip", "rar", "sxw", "sxc", "sxi", "gzip", "gz", "pdf", "vjpeg", "mov",
                           "wpd", "cpp", "png", "mp4", "m4a", "3gp", "heic", "heif", "avif", "webp", "mp3",
                           "ogg", "opus", "amr", "awb", "sqlite", "db", "vcf", "apk", "docx", "xlsx", "pptx",
                           "odt", "ods", "odp", "jar"};
    for (const char* n : names) EXPECT_EQ(formats_for_name(n).size(), 1u) << n;
}

TEST(FormatTable, TypesWithoutAnExtractorGetNone) {
    auto extractor_of = [](const char* name) { return formats_for_name(name).at(0).extractor; };
    for (const char* name : {"wpd", "gz", "gzip", "elf", "reg"}) EXPECT_EQ(extractor_of(name), nullptr) << name;
    // Types that share a format share its extractor.
    EXPECT_EQ(extractor_of("doc"), extractor_of("ole"));
    EXPECT_EQ(extractor_of("avi"), extractor_of("wav"));
    EXPECT_EQ(extractor_of("zip"), extractor_of("sxi"));
    EXPECT_EQ(extractor_of("mov"), extractor_of("vjpeg"));
    // A name that sets up a built-in row sets up its extractor too.
    for (const FormatRow& row : builtin_formats()) EXPECT_EQ(extractor_of(row.extension), row.extractor) << row.extension;
    std::set<ExtractFn> distinct;
    for (const char* name : {"jpg", "gif", "bmp", "mpg", "pdf", "doc", "avi", "wmv", "htm", "zip", "mov", "cpp",
                             "png", "rar", "exe"})
        distinct.insert(extractor_of(name));
    EXPECT_EQ(distinct.size(), 15u);
}

}  // namespace
}  // namespace quen::cdr
