// The read-ahead reader must not change what is found: every run here is made
// twice, once reading chunks and windows straight from the image as asked
// and once through the read-ahead ring, on random and on densely packed
// images, and the found files must be the same, in the same order.
#include <gtest/gtest.h>

#include "cdr/formats/format_table.h"
#include "cdr/engine/engine_test_util.h"
#include "sample_card.h"

namespace quen::cdr {
namespace {

using namespace test;

// Random bytes with toy files of every kind at random places: on and off
// block boundaries, across chunk seams, some longer than allowed, some
// running past the image's end.
Bytes dense_toy_image(size_t size, uint32_t seed) {
    Bytes img = random_bytes(size, seed);
    std::mt19937_64 rng(seed + 1);
    for (int i = 0; i < 120; ++i) {
        const bool aligned = rng() % 3 != 0;
        size_t at = rng() % (size - 16);
        if (aligned) at &= ~size_t{511};
        switch (rng() % 4) {
            case 0: put_toy(img, at, static_cast<uint32_t>(8 + rng() % (3 * kMiB + kMiB / 2))); break;
            case 1: {
                put(img, at, bytes_of("<F>"));
                const size_t end = at + 3 + rng() % (5 * kMiB / 2);
                if (end + 4 <= size) put(img, end, bytes_of("</F>"));
                break;
            }
            case 2: {
                put(img, at, bytes_of(rng() % 2 ? "<HTML>" : "<html>"));
                const size_t end = at + 5 + rng() % (kMiB + kMiB / 4);
                if (end + 7 <= size) put(img, end, bytes_of("</Html>"));
                break;
            }
            default: put(img, at, bytes_of("NOX")); break;
        }
    }
    return img;
}

void expect_same_files(const std::string& path, uint64_t size, const std::vector<std::string>& args,
                       const FormatCatalog& catalog, bool expect_windows, bool expect_files = true) {
    const auto direct = run_image(path, size, args, catalog, ReaderKind::Direct);
    const auto ahead = run_image(path, size, args, catalog, ReaderKind::ReadAhead);
    ASSERT_EQ(direct.result.status, CarveStatus::Done);
    ASSERT_EQ(ahead.result.status, CarveStatus::Done);
    if (expect_files) {
        EXPECT_FALSE(direct.files.empty());
    }
    EXPECT_EQ(ahead.files, direct.files);
    EXPECT_EQ(ahead.result.files_found, direct.result.files_found);
    // Read-ahead reads each byte at most once; the direct reads of the
    // windows come on top of the image.
    EXPECT_LE(ahead.result.bytes_read, size);
    if (expect_windows) {
        EXPECT_GT(direct.result.bytes_read, size + kMiB);
    }
}

TEST(EngineReaders, SameFilesOnDenseToyImages) {
    for (uint32_t seed : {1u, 2u}) {
        const Bytes img = dense_toy_image(16 * kMiB + 300, seed);
        TempImage file(img);
        SCOPED_TRACE(seed);
        expect_same_files(file.path(), img.size(), {"search", "-k", "1"}, toy_catalog(), true);
        expect_same_files(file.path(), img.size(), {"search", "-q", "-k", "1"}, toy_catalog(), true);
        expect_same_files(file.path(), img.size(), {"search", "-q", "-k", "2", "-b", "1024", "-a"},
                          toy_catalog(), true);
    }
}

TEST(EngineReaders, SameFilesWithTheBuiltInFormats) {
    // Random bytes: false headers of every kind, which the extractors turn
    // down; a full search looks at each of them.
    const Bytes noise = random_bytes(16 * kMiB, 21);
    TempImage rnd(noise);
    expect_same_files(rnd.path(), noise.size(), {"search", "-k", "1"}, builtin_catalog(), false, false);

    // The mixed sample card and a densely packed one, in quick mode as the
    // storage scan runs.
    sample::Card card;
    std::string error;
    ASSERT_TRUE(sample::make_sample_card(64 * kMiB, 9, card, error)) << error;
    TempImage mixed(card.image);
    expect_same_files(mixed.path(), card.image.size(), {"search", "-q"}, builtin_catalog(), true);
    expect_same_files(mixed.path(), card.image.size(), {"search", "-q", "-k", "1"}, builtin_catalog(), true);

    TempImage dense(Bytes{});
    std::vector<sample::ExpectedFile> expected;
    ASSERT_TRUE(sample::write_dense_card(dense.path(), 32 * kMiB, 4, expected, error)) << error;
    expect_same_files(dense.path(), 32 * kMiB, {"search", "-q"}, builtin_catalog(), true);
}

}  // namespace
}  // namespace quen::cdr
