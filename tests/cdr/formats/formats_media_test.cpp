// MPEG, WMV, QuickTime, executable, PDF, HTML and C++ text extractors.
#include <gtest/gtest.h>

#include <cstring>

#include "cdr/formats/extractor_test.h"

namespace quen::cdr::test {
namespace {

Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST(MpegExtractor, PackAndPacketWalkToTheEndCode) {
    sample::Rng rng(50);
    const Bytes mpg = sample::make_mpeg(rng, 12000);
    SearchSpec spec = spec_named("mpg");
    auto run = run_extractor(spec, padded(mpg), 0, kBufferAt);
    expect_one_whole_file(run, mpg.size());

    Bytes no_system = mpg;
    no_system[15] = 0xE0;
    EXPECT_EQ(run_extractor(spec, padded(no_system)).result, 4u);
    // A stream of 1023 bytes or less is not a file.
    Bytes tiny(mpg.begin(), mpg.begin() + 30);
    const Bytes end{0x00, 0x00, 0x01, 0xB9};
    tiny.insert(tiny.end(), end.begin(), end.end());
    run = run_extractor(spec, padded(tiny));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 4u);
    // A packet running past the bytes given: the file may go on.
    EXPECT_FALSE(run_extractor(spec, Bytes(mpg.begin(), mpg.begin() + 5000)).result);
    // A stream of more than a MiB cut anywhere by the end of the bytes
    // given is never listed whole: the window comes.
    const Bytes film = sample::make_mpeg(rng, 1536 * 1024);
    for (size_t cut = 1200 * 1024; cut < 1200 * 1024 + 2100; cut += 7) {
        const auto part = run_extractor(spec, Bytes(film.begin(), film.begin() + static_cast<std::ptrdiff_t>(cut)));
        ASSERT_TRUE(part.files.empty()) << cut;
        ASSERT_FALSE(part.result) << cut;
    }
    // Without an end code the stream ends after its last packet.
    Bytes unclosed(mpg.begin(), mpg.end() - 4);
    expect_one_whole_file(run_extractor(spec, padded(unclosed)), unclosed.size());
    // A zero-length packet is no stream.
    Bytes empty_packet = mpg;
    sample::put_be16(empty_packet, 16, 0);
    run = run_extractor(spec, padded(empty_packet));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 3u + 4u);
}

TEST(WmvExtractor, FilePropertiesGiveTheSize) {
    sample::Rng rng(51);
    const Bytes wmv = sample::make_wmv(rng, 3000);
    SearchSpec spec = spec_named("wmv");
    auto run = run_extractor(spec, padded(wmv), 0, kBufferAt);
    expect_one_whole_file(run, wmv.size());

    Bytes no_objects = wmv;
    sample::put_le32(no_objects, 24, 0);
    run = run_extractor(spec, padded(no_objects));
    EXPECT_EQ(run.warnings, (std::vector<std::string>{"WMV err num_header_objs=0 headerSize=134\n"}));
    EXPECT_EQ(run.result, 30u);
    EXPECT_TRUE(run.files.empty());
    // The size field gives the end, past the bytes given too; the header and
    // data objects must agree with it, and the disk's end must not cut it.
    const Bytes video = sample::make_wmv(rng, 50 * 1024 * 1024);
    auto long_run = run_on_disk(spec, video, 4096);
    ASSERT_EQ(long_run.files.size(), 1u);
    EXPECT_EQ(long_run.files[0].size, video.size());
    EXPECT_TRUE(run_on_disk(spec, Bytes(video.begin(), video.end() - 1), 4096).files.empty());
    Bytes short_size = wmv;
    sample::put_le32(short_size, 30 + 40, 1000);  // less than header and data
    EXPECT_TRUE(run_extractor(spec, padded(short_size)).files.empty());
    Bytes zero_size = wmv;
    sample::put_le32(zero_size, 30 + 40, 0);
    EXPECT_TRUE(run_extractor(spec, padded(zero_size)).files.empty());
}

TEST(QuickTimeExtractor, AtomWalkFromFourBytesBeforeTheHit) {
    sample::Rng rng(52);
    const Bytes mov = sample::make_mov(rng, 5000);
    SearchSpec spec = spec_named("mov");
    // The hit is "moov"; the four bytes before it are in the buffer.
    Bytes buf(100, 0x01);
    buf.insert(buf.end(), mov.begin(), mov.end());
    buf.resize(buf.size() + 100, 0);
    auto run = run_extractor(spec, buf, 104, kBufferAt);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].offset, kBufferAt + 100);
    EXPECT_EQ(run.files[0].size, mov.size());
    EXPECT_EQ(run.result, mov.size() - 4);

    // A buffer (a disk window) that starts at the hit holds no atom size.
    run = run_extractor(spec, Bytes(mov.begin() + 4, mov.end()), 0);
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 4u);

    // Without "mdat" there is no movie.
    Bytes no_mdat = buf;
    std::memcpy(no_mdat.data() + 100 + 116 + 4, "junk", 4);
    run = run_extractor(spec, no_mdat, 104);
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 4u);
    // A zero atom size first: the movie would run to the disk's end, which
    // is not known here.
    Bytes zero = buf;
    sample::put_be32(zero, 100, 0);
    EXPECT_EQ(run_extractor(spec, zero, 104).result, 4u);
    // A movie far longer than the bytes given: its atoms are read on the
    // disk; the disk's end cutting its last atom leaves no movie.
    const Bytes film = sample::make_mov(rng, 300 * 1024 * 1024);
    RunOptions o;
    o.disk = &film;
    run = run_extractor(spec, film.data(), 4096, 4, o);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].size, film.size());
    const Bytes cut(film.begin(), film.end() - 1);
    o.disk = &cut;
    EXPECT_TRUE(run_extractor(spec, cut.data(), 4096, 4, o).files.empty());
}

TEST(ExeExtractor, LastSectionEndsTheFile) {
    sample::Rng rng(53);
    const Bytes exe = sample::make_exe(rng, 6000, false);
    SearchSpec spec = spec_named("exe");
    auto run = run_extractor(spec, padded(exe), 0, kBufferAt);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].extension, "exe");
    EXPECT_EQ(run.files[0].size, exe.size());
    EXPECT_EQ(run.result, exe.size());

    const Bytes dll = sample::make_exe(rng, 6000, true);
    run = run_extractor(spec, padded(dll));
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].extension, "dll");
    EXPECT_EQ(spec.extension, "exe");

    // Never cut to the bytes given: the last section's end is on the disk,
    // or there is no file.
    EXPECT_TRUE(run_extractor(spec, Bytes(exe.begin(), exe.begin() + 3000)).files.empty());
    run = run_on_disk(spec, exe, 3000);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].size, exe.size());
    // A signature appended after the sections (the security directory)
    // belongs to the file.
    Bytes signed_exe = exe;
    sample::put_le32(signed_exe, 0x80 + 24 + 96 + 32, static_cast<uint32_t>(exe.size()));
    sample::put_le32(signed_exe, 0x80 + 24 + 96 + 36, 1000);
    signed_exe.resize(exe.size() + 1000, 0x05);
    EXPECT_EQ(run_extractor(spec, padded(signed_exe)).files.at(0).size, exe.size() + 1000);

    Bytes no_pe = exe;
    no_pe[0x80] = 'X';
    EXPECT_EQ(run_extractor(spec, padded(no_pe)).result, 0x80u);
    Bytes zero_offset = exe;
    sample::put_le16(zero_offset, 60, 0);
    EXPECT_EQ(run_extractor(spec, padded(zero_offset)).result, 2u);
    Bytes object = exe;
    sample::put_le16(object, 0x80 + 22, 0x0100);  // neither executable nor library
    EXPECT_EQ(run_extractor(spec, padded(object)).result, 0x80u);
    // A section table reaching past the bytes given.
    Bytes many = exe;
    sample::put_le16(many, 0x80 + 6, 0xFFFF);
    EXPECT_EQ(run_extractor(spec, padded(many)).result, 0x80u);
    Bytes small = exe;
    for (size_t section : {0x80 + 248, 0x80 + 288}) {
        sample::put_le32(small, section + 16, 0);
        sample::put_le32(small, section + 20, 100);
    }
    EXPECT_EQ(run_extractor(spec, padded(small)).result, 0x80u + 248 + 80 + 60);
    EXPECT_EQ(run_extractor(spec, Bytes(exe.begin(), exe.begin() + 99)).result, 2u);
}

TEST(PdfExtractor, EndMarkerAndTheByteAfterIt) {
    sample::Rng rng(54);
    // "%%EOF" followed by a newline: the newline belongs to the file.
    const Bytes pdf = sample::make_pdf(rng, 3000, false);
    ASSERT_EQ(pdf.back(), '\n');
    SearchSpec spec = spec_named("pdf");
    auto run = run_extractor(spec, padded(pdf), 0, kBufferAt);
    expect_one_whole_file(run, pdf.size());

    const Bytes lin = sample::make_pdf(rng, 4000, true);
    run = run_extractor(spec, padded(lin));
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].size, lin.size());
    // A linearized file longer than the bytes given (but not than the max
    // length) asks for the window.
    EXPECT_FALSE(run_extractor(spec, Bytes(lin.begin(), lin.begin() + 2000)).result);

    Bytes no_obj = text("%PDF-1.4\n");
    no_obj.resize(2000, ' ');
    EXPECT_EQ(run_extractor(spec, no_obj).result, 107u);
    EXPECT_FALSE(run_extractor(spec, Bytes(pdf.begin(), pdf.begin() + 518)).result);
    // "%%EOF" as the very last bytes: the byte after it is not there yet.
    EXPECT_FALSE(run_extractor(spec, Bytes(pdf.begin(), pdf.end() - 1)).result);
    // A stated length too small to hold "%%EOF".
    Bytes tiny_len = lin;
    const char* l = std::strstr(reinterpret_cast<const char*>(lin.data()), "/L ");
    ASSERT_NE(l, nullptr);
    const size_t at = static_cast<size_t>(l - reinterpret_cast<const char*>(lin.data())) + 3;
    std::memcpy(tiny_len.data() + at, "00000009", 8);
    run = run_extractor(spec, padded(tiny_len));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, at);
}

TEST(HtmlExtractor, TextAfterTheTagAndTheClosingTagInAnyCase) {
    sample::Rng rng(55);
    SearchSpec spec = spec_named("htm");
    const Bytes page = sample::make_html(rng, 2000);
    auto run = run_extractor(spec, padded(page), 0, kBufferAt);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].size, page.size());

    Bytes upper = text("<HTML>\n<BODY>hello, world, in capitals</BODY></HTML>");
    const size_t len = upper.size();
    run = run_extractor(spec, padded(upper));
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].size, len);

    Bytes binary = page;
    binary[12] = 0x01;
    run = run_extractor(spec, padded(binary));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 21u);
    // The closing tag within the last ten bytes of a short buffer is not looked at.
    EXPECT_FALSE(run_extractor(spec, Bytes(page.begin(), page.end())).result);
}

TEST(CppExtractor, PrintableRunAroundTheInclude) {
    sample::Rng rng(56);
    SearchSpec spec = spec_named("cpp");
    const Bytes src = sample::make_cpp(rng, 400);
    // Text before the hit belongs to the run; the run stops one byte short of
    // the first byte that is not text.
    Bytes buf = text("\x01// header comment\n");
    const size_t before = buf.size() - 1 + 1;
    buf.insert(buf.end(), src.begin(), src.end());
    buf.push_back(0x00);
    buf.resize(buf.size() + 50, 0x02);
    auto run = run_extractor(spec, buf, before, kBufferAt);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].offset, kBufferAt + 1);
    EXPECT_EQ(run.files[0].size, (before - 1) + src.size() - 1);
    EXPECT_EQ(run.result, src.size() - 1);

    // Nothing readable before the hit (a disk window): the run starts there.
    Bytes window(src.begin(), src.end());
    window.push_back(0x00);
    window.resize(window.size() + 50, 0x02);
    run = run_extractor(spec, window, 0, kBufferAt);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].offset, kBufferAt);

    Bytes short_run = text("#include \"a.h\"\nint x;\n");
    const size_t i = short_run.size();
    short_run.push_back(0x00);
    short_run.resize(100, 0x02);
    EXPECT_EQ(run_extractor(spec, short_run).result, i - 1);
    Bytes unquoted = text("#include stdio.h and then a long enough run of plain text to pass the length check\n");
    unquoted.resize(200, 0);
    EXPECT_EQ(run_extractor(spec, unquoted).result, 8u);
    Bytes no_int = text("#include <stdio.h>\nvoid main(void) { puts(\"long enough text here\"); }\n");
    no_int.resize(200, 0);
    EXPECT_FALSE(run_extractor(spec, no_int).result);
}

}  // namespace
}  // namespace quen::cdr::test
