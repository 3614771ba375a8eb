// The sample card through the whole carving engine with the built-in table
// in quick mode: exactly the files that the rules find, at their offsets and
// sizes (files across chunk boundaries, cut short, near the image's end,
// false headers and files off sector offsets included).
#include <gtest/gtest.h>

#include <algorithm>

#include "cdr/engine/engine_test_util.h"
#include "cdr/formats/format_table.h"
#include "sample_card.h"

namespace quen::cdr {
namespace {

using test::Found;

std::vector<Found> as_found(const std::vector<sample::ExpectedFile>& files) {
    std::vector<Found> out;
    for (const auto& f : files) out.push_back({f.type, f.name, f.offset, f.size});
    return out;
}

// The files only one side lists, for a readable failure.
std::string difference(const std::vector<Found>& got, const std::vector<Found>& want) {
    std::string out;
    auto text = [](const Found& f) {
        return f.type + ":" + f.name + "@" + std::to_string(f.offset) + "+" + std::to_string(f.size);
    };
    for (const Found& f : got)
        if (std::find(want.begin(), want.end(), f) == want.end()) out += " extra " + text(f);
    for (const Found& f : want)
        if (std::find(got.begin(), got.end(), f) == got.end()) out += " missing " + text(f);
    return out;
}

void sort_found(std::vector<Found>& v) {
    std::sort(v.begin(), v.end(), [](const Found& a, const Found& b) {
        return std::tie(a.offset, a.type, a.name) < std::tie(b.offset, b.type, b.name);
    });
}

TEST(SampleCard, HeadersAtSectorOffsetsAreOnlyThosePutThere) {
    sample::Card card;
    std::string error;
    ASSERT_TRUE(sample::make_sample_card(64 * sample::kMiB, 1, card, error)) << error;
    EXPECT_EQ(sample::aligned_header_hits(card.image), card.planted);
    // Deterministic: the same seed gives the same image.
    sample::Card again;
    ASSERT_TRUE(sample::make_sample_card(64 * sample::kMiB, 1, again, error));
    EXPECT_TRUE(again.image == card.image);
    EXPECT_FALSE(sample::make_sample_card(60 * sample::kMiB, 1, again, error));
}

TEST(SampleCard, CarvingFindsExactlyTheExpectedFiles) {
    sample::Card card;
    std::string error;
    ASSERT_TRUE(sample::make_sample_card(64 * sample::kMiB, 1, card, error)) << error;
    test::TempImage image(card.image);
    auto expected = as_found(card.expected);
    sort_found(expected);
    for (ReaderKind reader : {ReaderKind::ReadAhead, ReaderKind::Direct}) {
        auto out = test::run_image(image.path(), card.image.size(), {"search", "-q"}, builtin_catalog(), reader);
        sort_found(out.files);
        EXPECT_TRUE(out.files == expected) << difference(out.files, expected);
    }
}

TEST(SampleCard, DenseCardListsEveryFileItHolds) {
    test::TempImage image(test::Bytes{});
    std::vector<sample::ExpectedFile> files;
    std::string error;
    ASSERT_TRUE(sample::write_dense_card(image.path(), 16 * sample::kMiB, 3, files, error)) << error;
    const auto bytes = image.read_back();
    ASSERT_EQ(bytes.size(), 16 * sample::kMiB);
    ASSERT_GT(files.size(), 15u);
    // Every header at a sector offset starts a listed file, or a photo across
    // a chunk boundary whose window would pass the image's end.
    const auto hits = sample::aligned_header_hits(bytes);
    size_t listed = 0;
    for (uint64_t off : hits)
        if (std::any_of(files.begin(), files.end(), [&](const auto& f) { return f.offset == off; })) ++listed;
    EXPECT_EQ(listed, files.size());
    EXPECT_LE(hits.size() - listed, 3u);

    auto expected = as_found(files);
    sort_found(expected);
    auto out = test::run_image(image.path(), bytes.size(), {"search", "-q"}, builtin_catalog());
    sort_found(out.files);
    EXPECT_TRUE(out.files == expected) << difference(out.files, expected);
}

}  // namespace
}  // namespace quen::cdr
