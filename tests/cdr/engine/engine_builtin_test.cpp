// The engine with the built-in formats and extractors.
#include <gtest/gtest.h>

#include <utility>

#include "cdr/engine/engine.h"
#include "cdr/engine/engine_test_util.h"
#include "cdr/formats/format_table.h"
#include "sample_card.h"

namespace quen::cdr {
namespace {

using namespace test;

TEST(EngineBuiltin, JpegAtOneMiBIsNamed2048AndEveryTypeHasANode) {
    Bytes img(6 * kMiB, 0);
    sample::Rng rng(11);
    const Bytes jpg = sample::make_jpeg(rng, 30000);
    put(img, kMiB, jpg);
    TempImage file(img);
    ImageTree tree(file.path(), img.size());
    const CarveResult r = carve_disk(*tree.disk, {}, {});
    ASSERT_EQ(r.status, CarveStatus::Done);

    std::vector<std::string> nodes, table;
    for (const auto& c : tree.disk->children) nodes.push_back(c->name);
    for (const auto& row : builtin_formats()) table.push_back(row.extension);
    EXPECT_EQ(nodes, table);
    EXPECT_EQ(nodes.size(), 23u);
    EXPECT_EQ(collect(*tree.disk), (std::vector<Found>{{"jpg", "2048.jpg", kMiB, jpg.size()}}));
}

TEST(EngineBuiltin, GifAcrossAChunkBoundaryIsFoundThroughTheWindow) {
    // The header 100 bytes before the first chunk's end, the trailer 2 KiB
    // into the next chunk; not on a sector boundary, so a full search.
    sample::Rng rng(12);
    Bytes gif = sample::make_gif(rng, 2148);
    Bytes img(12 * kMiB, 0);
    const uint64_t at = 4 * kMiB - 100;
    put(img, at, gif);
    TempImage file(img);
    for (ReaderKind kind : {ReaderKind::ReadAhead, ReaderKind::Direct}) {
        const auto out = run_image(file.path(), img.size(), {"search", "-t", "gif"}, builtin_catalog(), kind);
        ASSERT_EQ(out.files.size(), 1u);
        EXPECT_EQ(out.files[0], (Found{"gif", std::to_string(at / 512) + ".gif", at, gif.size()}));
        EXPECT_GT(at + gif.size(), 4 * kMiB);
    }
}

TEST(EngineBuiltin, ScanTypeGroupsChooseTheTypes) {
    EXPECT_EQ(scan_type_list(0), "");
    EXPECT_EQ(scan_type_list(kScanPictures | kScanDocuments),
              "jpg,png,gif,bmp,pdf,doc,htm,xls,ppt,cpp,sxw,sxc,sxi,wpd");
    Bytes img(kMiB, 0);
    sample::Rng rng(13);
    const Bytes png = sample::make_png(rng, 5000);
    put(img, 4096, png);
    TempImage file(img);
    ImageTree tree(file.path(), img.size());
    CarveDiskOptions options;
    options.types = scan_type_list(kScanPictures);
    const CarveResult result = carve_disk(*tree.disk, options, {});
    EXPECT_EQ(result.status, CarveStatus::Done);
    EXPECT_EQ(result.bytes_read, img.size());
    std::vector<std::string> nodes;
    for (const auto& c : tree.disk->children) nodes.push_back(c->name);
    EXPECT_EQ(nodes, (std::vector<std::string>{"jpg", "png", "gif", "bmp"}));
    EXPECT_EQ(collect(*tree.disk), (std::vector<Found>{{"png", "8.png", 4096, png.size()}}));
}

// Library code prints nothing: what the engine has to say reaches the caller,
// which decides where it goes.
TEST(EngineBuiltin, EngineTextReachesTheCallerAndNothingIsPrinted) {
    Bytes img(kMiB, 0);
    // An ASF header object that counts no objects: the WMV extractor rejects it and says so.
    put(img, 8192, Bytes{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11});
    TempImage file(img);
    ImageTree tree(file.path(), img.size());
    std::vector<std::pair<EngineText, std::string>> said;
    CarveDiskOptions options;
    options.types = "wmv";
    options.on_text = [&](EngineText kind, const std::string& text) { said.emplace_back(kind, text); };
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const CarveResult r = carve_disk(*tree.disk, options, {});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(r.status, CarveStatus::Done);
    const std::vector<std::pair<EngineText, std::string>> expected{
        {EngineText::Progress, "-t: wmv\n"},
        {EngineText::Progress, "Processing: " + file.path() + "\n|"},
        {EngineText::Warning, "WMV err num_header_objs=0 headerSize=0\n"},
        {EngineText::Progress, "|\n"},
    };
    EXPECT_EQ(said, expected);
}

}  // namespace
}  // namespace quen::cdr
