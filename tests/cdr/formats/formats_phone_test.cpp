// The extractors of the formats phones write: where each file ends, and the
// files that are cut or not what their header says.
#include <gtest/gtest.h>

#include "cdr/formats/extractor_test.h"
#include "sample_phone_files.h"

namespace quen::cdr::test {
namespace {

// The hit of an ISO file is its "ftyp", 4 bytes in.
ExtractRun run_iso(SearchSpec& spec, const Bytes& file, RunOptions o = {}) {
    Bytes buf(512, 0x01);
    buf.insert(buf.end(), file.begin(), file.end());
    buf.resize(buf.size() + 4096, 0);
    o.k = kBufferAt - 512;
    return run_extractor(spec, buf.data(), buf.size(), 512 + 4, o);
}

TEST(IsoMediaExtractor, TopLevelBoxesToTheEndAndTheKindFromTheBrand) {
    sample::Rng rng(70);
    SearchSpec movies = spec_named("mp4"), pictures = spec_named("heic");
    const Bytes mp4 = sample::make_iso(rng, 20000, "isom", "isomavc1mp41");
    auto run = run_iso(movies, mp4);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].offset, kBufferAt);
    EXPECT_EQ(run.files[0].size, mp4.size());  // the zeros after it are no box
    EXPECT_EQ(run.files[0].extension, "mp4");
    EXPECT_EQ(run_iso(movies, sample::make_iso(rng, 9000, "M4A ", "M4A mp42")).files.at(0).extension, "m4a");
    EXPECT_EQ(run_iso(movies, sample::make_iso(rng, 9000, "3gp5", "3gp5isom")).files.at(0).extension, "3gp");
    EXPECT_EQ(run_iso(movies, sample::make_iso(rng, 9000, "qt  ", "qt  ")).files.at(0).extension, "mov");
    // A picture is the picture row's, named by its brands.
    const Bytes heic = sample::make_iso(rng, 9000, "mif1", "mif1heic");
    EXPECT_TRUE(run_iso(movies, heic).files.empty());
    ASSERT_EQ(run_iso(pictures, heic).files.size(), 1u);
    EXPECT_EQ(run_iso(pictures, heic).files[0].extension, "heic");

    // A 64-bit box size; a last box of size 0 runs to the scanned range's end.
    const size_t mdat = std::string(mp4.begin(), mp4.end()).find("mdat") - 4;
    Bytes big(mp4.begin(), mp4.begin() + static_cast<std::ptrdiff_t>(mdat));
    const Bytes payload(mp4.begin() + static_cast<std::ptrdiff_t>(mdat) + 8, mp4.end());
    sample::append(big, Bytes{0, 0, 0, 1, 'm', 'd', 'a', 't', 0, 0, 0, 0, 0, 0, 0, 0});
    sample::put_be32(big, big.size() - 4, static_cast<uint32_t>(16 + payload.size()));
    sample::append(big, payload);
    EXPECT_EQ(run_iso(movies, big).files.at(0).size, big.size());
    Bytes open_ended = mp4;
    sample::put_be32(open_ended, mdat, 0);
    RunOptions to_end;
    to_end.range_end = kBufferAt + mp4.size() + 1000;
    EXPECT_EQ(run_iso(movies, open_ended, to_end).files.at(0).size, mp4.size() + 1000);

    // No "moov": a recording cut before its index was written.
    Bytes no_moov = mp4;
    std::copy_n("free", 4, no_moov.begin() + 28);
    EXPECT_TRUE(run_iso(movies, no_moov).files.empty());
    // The disk ends inside the last box.
    Bytes disk(mp4.begin(), mp4.end() - 1);
    RunOptions o;
    o.disk = &disk;
    EXPECT_TRUE(run_extractor(movies, disk.data(), 600, 4, o).files.empty());
}

TEST(AudioExtractors, FramesAndPagesToTheLastGoodOne) {
    sample::Rng rng(71);
    SearchSpec mp3 = spec_named("mp3");
    // Tag, frames and the ID3v1 trailer; then a bare stream needs more frames
    // before it is believed.
    const Bytes tagged = sample::make_mp3(rng, 12, true, true);
    expect_one_whole_file(run_extractor(mp3, padded(tagged)), tagged.size());
    const Bytes bare = sample::make_mp3(rng, 12, false, false);
    expect_one_whole_file(run_extractor(mp3, padded(bare)), bare.size());
    EXPECT_TRUE(run_final(mp3, padded(sample::make_mp3(rng, 4, false, false))).files.empty());
    // Frames of another stream (another sample rate) are another file.
    Bytes two = bare;
    Bytes other = sample::make_mp3(rng, 8, false, false);
    for (size_t at = 0; at < other.size(); at += 417) other[at + 2] = 0x94;  // 48 kHz
    sample::append(two, other);
    EXPECT_EQ(run_extractor(mp3, padded(two)).files.at(0).size, bare.size());

    SearchSpec ogg = spec_named("ogg");
    const Bytes opus = sample::make_ogg(rng, 5, "OpusHead");
    auto run = run_extractor(ogg, padded(opus));
    expect_one_whole_file(run, opus.size());
    EXPECT_EQ(run.files[0].extension, "opus");
    EXPECT_EQ(run_extractor(ogg, padded(sample::make_ogg(rng, 3, "\x01vorbis"))).files.at(0).extension, "ogg");
    // A page whose bytes do not match its CRC: the stream was cut before its
    // last page.
    Bytes broken = opus;
    broken[opus.size() / 2] ^= 0x01;
    EXPECT_TRUE(run_extractor(ogg, padded(broken)).files.empty());

    SearchSpec amr = spec_named("amr");
    const Bytes speech = sample::make_amr(rng, 40);
    expect_one_whole_file(run_extractor(amr, padded(speech)), speech.size());  // zeros are no frame
    EXPECT_TRUE(run_extractor(amr, padded(sample::make_amr(rng, 3))).files.empty());
}

TEST(DocumentExtractors, SizesFromHeadersAndRunsOfText) {
    sample::Rng rng(72);
    SearchSpec db = spec_named("sqlite");
    const Bytes sqlite = sample::make_sqlite(rng, 5);
    expect_one_whole_file(run_extractor(db, padded(sqlite)), sqlite.size());
    // A page count that the header does not vouch for gives no size.
    Bytes stale = sqlite;
    sample::put_be32(stale, 92, 6);
    EXPECT_TRUE(run_extractor(db, padded(stale)).files.empty());
    Bytes odd_page = sqlite;
    sample::put_be16(odd_page, 16, 3000);
    EXPECT_TRUE(run_extractor(db, padded(odd_page)).files.empty());

    SearchSpec vcf = spec_named("vcf");
    const Bytes cards = sample::make_vcard(rng, 5);
    expect_one_whole_file(run_extractor(vcf, padded(cards)), cards.size());
    // A card cut by foreign bytes: the file ends with the card before it.
    Bytes cut = cards;
    const size_t second = std::string(cards.begin(), cards.end()).find("BEGIN", 10);
    cut.resize(second + 40);
    sample::append(cut, Bytes{0x00, 0x9C, 0x00});
    EXPECT_EQ(run_extractor(vcf, padded(cut)).files.at(0).size, second);

    SearchSpec webp = spec_named("webp");
    const Bytes pic = sample::make_webp(rng, 5000);
    expect_one_whole_file(run_extractor(webp, padded(pic)), pic.size());
    Bytes not_vp8 = pic;
    std::copy_n("JUNK", 4, not_vp8.begin() + 12);
    EXPECT_TRUE(run_extractor(webp, padded(not_vp8)).files.empty());
}

}  // namespace
}  // namespace quen::cdr::test
