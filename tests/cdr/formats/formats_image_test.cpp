// JPEG, GIF, BMP and PNG extractors.
#include <gtest/gtest.h>

#include "cdr/formats/extractor_test.h"

namespace quen::cdr::test {
namespace {

TEST(JpegExtractor, RecordsUpToTheEndMarkerOnlyWithTablesBeforeTheImage) {
    sample::Rng rng(1);
    const Bytes jpg = sample::make_jpeg(rng, 5000);
    auto spec = spec_named("jpg");
    auto run = run_extractor(spec, padded(jpg), 0, kBufferAt);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].offset, kBufferAt);
    EXPECT_EQ(run.files[0].size, jpg.size());
    EXPECT_EQ(run.result, jpg.size());

    // The same picture with its DQT and DHT segments taken out: APP0 straight
    // into the frame header is not taken for a JPEG.
    Bytes bare(jpg.begin(), jpg.begin() + 20);
    bare.insert(bare.end(), jpg.begin() + 120, jpg.end());
    run = run_extractor(spec, padded(bare));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 3u);

    Bytes exif = jpg;
    exif[3] = 0xE1;
    EXPECT_EQ(run_extractor(spec, padded(exif)).files.size(), 1u);
    Bytes other = jpg;
    other[3] = 0xDB;
    EXPECT_EQ(run_extractor(spec, padded(other)).result, 3u);
    EXPECT_TRUE(run_extractor(spec, padded(other)).files.empty());
}

TEST(JpegExtractor, AsksForTheWindowWhenTheFileRunsPastTheBytes) {
    sample::Rng rng(2);
    const Bytes jpg = sample::make_jpeg(rng, 8000);
    auto spec = spec_named("jpg");
    // Too few bytes to judge, the end marker beyond the bytes, a segment
    // length pointing past them: all "may run past".
    EXPECT_FALSE(run_extractor(spec, Bytes(jpg.begin(), jpg.begin() + 127)).result);
    auto cut = run_extractor(spec, Bytes(jpg.begin(), jpg.begin() + 4000));
    EXPECT_FALSE(cut.result);
    EXPECT_TRUE(cut.files.empty());
    Bytes long_segment = jpg;
    long_segment[22] = 0xFF;  // DQT length 0xFF43
    EXPECT_FALSE(run_extractor(spec, padded(long_segment, 100)).result);
    // A fill byte before a marker is stepped over.
    Bytes filled(jpg.begin(), jpg.begin() + 20);
    filled.push_back(0xFF);
    filled.insert(filled.end(), jpg.begin() + 20, jpg.end());
    filled[5] = 0x11;  // APP0 one byte longer, so the next segment starts at the fill byte
    auto run = run_extractor(spec, padded(filled));
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].size, filled.size());
}

TEST(GifExtractor, VersionAndTrailer) {
    sample::Rng rng(3);
    const Bytes gif = sample::make_gif(rng, 3000);
    auto spec = spec_named("gif");
    auto run = run_extractor(spec, padded(gif));
    expect_one_whole_file(run, gif.size());

    Bytes v87 = gif;
    v87[4] = '7';
    EXPECT_EQ(run_extractor(spec, padded(v87)).files.size(), 1u);
    Bytes bad = gif;
    bad[5] = 'b';
    run = run_extractor(spec, padded(bad));
    EXPECT_EQ(run.result, 4u);
    EXPECT_TRUE(run.files.empty());
    // No trailer in the bytes given.
    EXPECT_FALSE(run_extractor(spec, Bytes(gif.begin(), gif.end() - 2)).result);
    EXPECT_FALSE(run_extractor(spec, Bytes(gif.begin(), gif.begin() + 5)).result);
}

TEST(BmpExtractor, SizeFieldAndHeaderChecks) {
    sample::Rng rng(4);
    const Bytes bmp = sample::make_bmp(rng, 5000);
    auto spec = spec_named("bmp");
    auto run = run_extractor(spec, padded(bmp));
    expect_one_whole_file(run, bmp.size());

    // The size field is believed: the file may run past the bytes given.
    EXPECT_FALSE(run_extractor(spec, Bytes(bmp.begin(), bmp.end() - 1)).result);
    auto skipped = [&](Bytes b) {
        auto r = run_extractor(spec, padded(b));
        return r.files.empty() && r.result == 2u;
    };
    Bytes b = bmp;
    sample::put_le32(b, 22, static_cast<uint32_t>(-16));  // top-down rows
    EXPECT_TRUE(skipped(b));
    b = bmp;
    sample::put_le32(b, 22, 2001);
    EXPECT_TRUE(skipped(b));
    b = bmp;
    sample::put_le32(b, 18, 0);
    EXPECT_TRUE(skipped(b));
    b = bmp;
    sample::put_le32(b, 14, 1001);
    EXPECT_TRUE(skipped(b));
    b = bmp;
    sample::put_le32(b, 2, 100);
    EXPECT_TRUE(skipped(b));
    b = bmp;
    sample::put_le32(b, 2, 2 * 1024 * 1024 + 1);
    EXPECT_TRUE(skipped(b));
    EXPECT_EQ(run_extractor(spec, Bytes(bmp.begin(), bmp.begin() + 99)).result, 2u);
}

TEST(PngExtractor, ChunkWalkToIend) {
    sample::Rng rng(5);
    const Bytes png = sample::make_png(rng, 2000);
    auto spec = spec_named("png");
    auto run = run_extractor(spec, padded(png));
    expect_one_whole_file(run, png.size());

    Bytes wide = png;
    sample::put_be32(wide, 16, 3001);
    EXPECT_EQ(run_extractor(spec, padded(wide)).result, 8u);
    Bytes flat = png;
    sample::put_be32(flat, 20, 0);
    EXPECT_EQ(run_extractor(spec, padded(flat)).result, 8u);
    EXPECT_FALSE(run_extractor(spec, Bytes(png.begin(), png.begin() + 99)).result);

    // Without IEND the walk stops at the last chunk whose successor is not a
    // chunk; nothing is recorded and no window is asked for.
    Bytes cut(png.begin(), png.end() - 12);
    run = run_extractor(spec, padded(cut));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 33u);  // the IDAT chunk
    // The IDAT runs past the bytes given: continue at it.
    run = run_extractor(spec, Bytes(png.begin(), png.begin() + 500));
    EXPECT_EQ(run.result, 33u);
    // A length with the top bit set is not a chunk.
    Bytes huge = png;
    sample::put_be32(huge, 33, 0x80000010u);
    EXPECT_EQ(run_extractor(spec, padded(huge)).result, 33u);
}

}  // namespace
}  // namespace quen::cdr::test
