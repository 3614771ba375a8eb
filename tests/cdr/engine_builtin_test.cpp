// The engine with the built-in formats and extractors.
#include <gtest/gtest.h>

#include "cdr/carve_catalog.h"
#include "cdr/engine_scan.h"
#include "engine_test_util.h"
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
    CarveRunConfig cfg;
    cfg.messages = nullptr;
    const CarveResult r = carve_run(scan_arguments(file.path(), ""), *tree.disk, builtin_catalog(), cfg);
    ASSERT_EQ(r.status, CarveStatus::Done);

    std::vector<std::string> nodes, table;
    for (const auto& c : tree.disk->children) nodes.push_back(c->name);
    for (const auto& row : builtin_formats()) table.push_back(row.extension);
    EXPECT_EQ(nodes, table);
    EXPECT_EQ(nodes.size(), 14u);
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
    CarveResult result;
    ASSERT_EQ(cdr_scan(tree.disk, kScanPictures, {}, &result), 0);
    EXPECT_EQ(result.status, CarveStatus::Done);
    EXPECT_EQ(result.bytes_read, img.size());
    std::vector<std::string> nodes;
    for (const auto& c : tree.disk->children) nodes.push_back(c->name);
    EXPECT_EQ(nodes, (std::vector<std::string>{"jpg", "png", "gif", "bmp"}));
    EXPECT_EQ(collect(*tree.disk), (std::vector<Found>{{"png", "8.png", 4096, png.size()}}));
}

}  // namespace
}  // namespace quen::cdr
