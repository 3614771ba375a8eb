// Headers that end exactly where a chunk ends: the chunk holds the whole
// header and not one byte more, so the file is found only through the window.
// Quick mode, which compares at block boundaries only, must find each of them
// as a full search does.
#include <gtest/gtest.h>

#include <algorithm>

#include "cdr/engine/engine_test_util.h"
#include "cdr/formats/format_table.h"
#include "sample_files.h"

namespace quen::cdr {
namespace {

using namespace test;

TEST(QuickModeBoundary, HeaderEndingAtAChunkEndIsFoundAsByAFullSearch) {
    sample::Rng rng(5);
    struct Planted {
        std::string type;
        uint64_t offset;
        Bytes file;
    };
    // Header lengths 8 and 4; each offset is a multiple of the block size.
    const std::vector<Planted> planted = {
        {"png", 1 * kMiB - 8, sample::make_png(rng, 3000)},
        {"gif", 2 * kMiB - 4, sample::make_gif(rng, 3000)},
    };
    // Room after the last header for the window it asks for (1 MiB).
    Bytes img(3 * kMiB, 0);
    for (const Planted& p : planted) put(img, p.offset, p.file);
    TempImage file(img);

    for (ReaderKind reader : {ReaderKind::Direct, ReaderKind::ReadAhead}) {
        SCOPED_TRACE(reader == ReaderKind::Direct ? "direct" : "read-ahead");
        const auto full =
            run_image(file.path(), img.size(), {"search", "-b", "2", "-k", "1"}, builtin_catalog(), reader);
        const auto quick =
            run_image(file.path(), img.size(), {"search", "-q", "-b", "2", "-k", "1"}, builtin_catalog(), reader);
        ASSERT_EQ(full.result.status, CarveStatus::Done);
        ASSERT_EQ(quick.result.status, CarveStatus::Done);
        auto found = full.files;  // listed type by type; the planted ones go by offset
        std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.offset < b.offset; });
        ASSERT_EQ(found.size(), planted.size());
        for (size_t i = 0; i < planted.size(); ++i) {
            EXPECT_EQ(found[i].type, planted[i].type);
            EXPECT_EQ(found[i].offset, planted[i].offset);
            EXPECT_EQ(found[i].size, planted[i].file.size()) << planted[i].type;
        }
        EXPECT_EQ(quick.files, full.files);
    }
}

}  // namespace
}  // namespace quen::cdr
