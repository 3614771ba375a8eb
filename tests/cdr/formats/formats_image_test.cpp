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
    // Encoders that write no application segment start with the tables.
    Bytes tables_first = jpg;
    tables_first[3] = 0xDB;
    EXPECT_EQ(run_extractor(spec, padded(tables_first)).files.size(), 1u);
    Bytes other = jpg;
    other[3] = 0xC0;
    EXPECT_EQ(run_extractor(spec, padded(other)).result, 3u);
    EXPECT_TRUE(run_extractor(spec, padded(other)).files.empty());
}

TEST(JpegExtractor, APictureCutBeforeItsEndTakesNothingOfTheNext) {
    sample::Rng rng(6);
    const Bytes first = sample::make_jpeg(rng, 6000);
    const Bytes second = sample::make_jpeg(rng, 5000);
    auto spec = spec_named("jpg");
    // The first picture's end is overwritten by the second: the end marker
    // found would be the second's. The bytes of another picture inside the
    // image data show the cut.
    Bytes cut(first.begin(), first.begin() + 3000);
    cut.insert(cut.end(), second.begin(), second.end());
    auto run = run_final(spec, padded(cut));
    EXPECT_TRUE(run.files.empty());
    ASSERT_TRUE(run.result);
    // Foreign bytes where the image data should go on: the same.
    Bytes noise(first.begin(), first.begin() + 3000);
    noise.push_back(0xFF);
    noise.push_back(0x17);
    noise.insert(noise.end(), first.begin() + 3000, first.end());
    EXPECT_TRUE(run_final(spec, padded(noise)).files.empty());
}

TEST(JpegExtractor, PicturesThatMpfNamesAfterTheFirstBelongToTheFile) {
    sample::Rng rng(7);
    const Bytes main_picture = sample::make_jpeg(rng, 6000);
    const Bytes preview = sample::make_jpeg(rng, 3000);
    // An APP2 "MPF" segment after APP0, naming the preview right after the
    // main picture: offsets count from the segment's TIFF header.
    Bytes mpf{0xFF, 0xE2, 0x00, 0x00, 'M', 'P', 'F', 0x00, 'I', 'I', 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,
              0x01, 0x00,                                      // one IFD entry
              0x02, 0xB0, 0x07, 0x00, 0x20, 0x00, 0x00, 0x00,  // MPEntry, 32 bytes (two pictures)
              0x1A, 0x00, 0x00, 0x00,                          // at 26 in the TIFF data
              0x00, 0x00, 0x00, 0x00};                         // next IFD: none
    const size_t entries = mpf.size();
    mpf.resize(entries + 32, 0);
    sample::put_be16(mpf, 2, static_cast<uint16_t>(mpf.size() - 2));
    const size_t app0_end = 4 + 16;  // SOI, APP0 of 16 bytes
    Bytes file(main_picture.begin(), main_picture.begin() + app0_end);
    file.insert(file.end(), mpf.begin(), mpf.end());
    file.insert(file.end(), main_picture.begin() + app0_end, main_picture.end());
    const size_t tiff = app0_end + 8;
    sample::put_le32(file, app0_end + entries + 16 + 4, static_cast<uint32_t>(preview.size()));
    sample::put_le32(file, app0_end + entries + 16 + 8, static_cast<uint32_t>(file.size() - tiff));
    const size_t first_size = file.size();
    file.insert(file.end(), preview.begin(), preview.end());
    auto spec = spec_named("jpg");
    expect_one_whole_file(run_extractor(spec, padded(file)), file.size());
    // A named picture that is not there: the file was cut.
    Bytes missing(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(first_size));
    EXPECT_TRUE(run_final(spec, padded(missing)).files.empty());
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
    // "00 3B" inside image data (every animation has some) is not the end:
    // the blocks are walked to the trailer. A second frame after a graphic
    // control extension belongs to the file too.
    Bytes animated = gif;
    animated[31] = 0x00;
    animated[32] = 0x3B;
    animated.pop_back();  // the trailer
    sample::append(animated, Bytes{0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00});
    sample::append(animated, Bytes{0x2C, 0, 0, 0, 0, 0x01, 0x01, 0x01, 0x01, 0x00, 0x02, 0x03, 0x00, 0x3B, 0x01, 0x00, 0x3B});
    expect_one_whole_file(run_extractor(spec, padded(animated)), animated.size());
    // Bytes that are no GIF block where one should begin: cut, no file.
    Bytes cut = gif;
    cut[30] = 0x00;  // the image data ends at once
    cut[31] = 0x77;  // and no block follows
    EXPECT_TRUE(run_final(spec, padded(cut)).files.empty());
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

    // The size field gives the end, read past the bytes given; a picture the
    // disk's end cuts is not whole.
    const Bytes screenshot = sample::make_bmp(rng, 14 * 1024 * 1024);
    auto run_long = run_on_disk(spec, screenshot, 4096);
    ASSERT_EQ(run_long.files.size(), 1u);
    EXPECT_EQ(run_long.files[0].size, screenshot.size());
    EXPECT_TRUE(run_on_disk(spec, Bytes(screenshot.begin(), screenshot.end() - 1), 4096).files.empty());
    auto skipped = [&](Bytes b) {
        auto r = run_extractor(spec, padded(b));
        return r.files.empty() && r.result == 2u;
    };
    // Top-down rows, and a phone screenshot's height.
    Bytes b = bmp;
    sample::put_le32(b, 22, static_cast<uint32_t>(-static_cast<int32_t>(le32_of(b, 22))));
    EXPECT_EQ(run_extractor(spec, padded(b)).files.size(), 1u);
    b = sample::make_bmp(rng, 54 + 1440 * 3 * 3200);
    sample::put_le32(b, 18, 1440);
    sample::put_le32(b, 22, 3200);
    EXPECT_EQ(run_on_disk(spec, padded(b), 4096).files.size(), 1u);
    // A size that does not agree with the picture's dimensions.
    b = bmp;
    sample::put_le32(b, 22, le32_of(bmp, 22) + 1);
    EXPECT_TRUE(skipped(b));
    b = bmp;
    sample::put_le32(b, 22, 0);
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
    sample::put_le32(b, 2, 256 * 1024 * 1024 + 1);
    EXPECT_TRUE(skipped(b));
    EXPECT_EQ(run_extractor(spec, Bytes(bmp.begin(), bmp.begin() + 99)).result, 2u);
}

TEST(PngExtractor, ChunkWalkToIend) {
    sample::Rng rng(5);
    const Bytes png = sample::make_png(rng, 2000);
    auto spec = spec_named("png");
    auto run = run_extractor(spec, padded(png));
    expect_one_whole_file(run, png.size());

    // A phone screenshot's size.
    Bytes tall = png;
    sample::put_be32(tall, 16, 1440);
    sample::put_be32(tall, 20, 3200);
    EXPECT_EQ(run_extractor(spec, padded(tall)).files.size(), 1u);
    Bytes flat = png;
    sample::put_be32(flat, 20, 0);
    EXPECT_EQ(run_extractor(spec, padded(flat)).result, 8u);
    EXPECT_FALSE(run_extractor(spec, Bytes(png.begin(), png.begin() + 99)).result);

    // Without IEND the walk stops where a chunk should begin and none does:
    // nothing is recorded and no window is asked for.
    Bytes cut(png.begin(), png.end() - 12);
    run = run_extractor(spec, padded(cut));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, cut.size());
    // The IDAT runs past the bytes given: the window comes.
    run = run_extractor(spec, Bytes(png.begin(), png.begin() + 500));
    EXPECT_FALSE(run.result);
    // A length with the top bit set is not a chunk.
    Bytes huge = png;
    sample::put_be32(huge, 33, 0x80000010u);
    EXPECT_EQ(run_extractor(spec, padded(huge)).result, 33u);
}

}  // namespace
}  // namespace quen::cdr::test
