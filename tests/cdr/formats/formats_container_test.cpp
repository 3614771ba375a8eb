// ZIP, OLE compound file, RAR and RIFF extractors.
#include <gtest/gtest.h>

#include "cdr/formats/extractor_test.h"

namespace quen::cdr::test {
namespace {

Bytes text_bytes(std::string_view t) { return Bytes(t.begin(), t.end()); }

TEST(ZipExtractor, EndsWithItsEndRecordAndTheCommentItStates) {
    sample::Rng rng(10);
    const Bytes zip = sample::make_zip(rng, 3000);
    SearchSpec spec = test::spec_from(builtin_formats()[8]);
    // Nothing of the zeros after it.
    auto run = run_extractor(spec, padded(zip), 0, kBufferAt);
    expect_one_whole_file(run, zip.size());
    EXPECT_EQ(run.files[0].extension, "zip");

    // A comment belongs to the archive; one that runs past the bytes given
    // asks for the window.
    Bytes commented = zip;
    sample::put_le16(commented, commented.size() - 2, 5);
    sample::append(commented, "hello");
    expect_one_whole_file(run_extractor(spec, padded(commented)), commented.size());
    EXPECT_FALSE(run_extractor(spec, Bytes(commented.begin(), commented.end() - 2)).result);

    // The next archive right after it, and an archive stored inside another:
    // each ends with its own end record.
    Bytes two = zip;
    sample::append(two, sample::make_zip(rng, 2000));
    expect_one_whole_file(run_extractor(spec, padded(two)), zip.size());
    const Bytes outer = sample::zip_of({{"inner.zip", zip}, {"after.txt", rng.payload(700)}});
    expect_one_whole_file(run_extractor(spec, padded(outer)), outer.size());

    // An entry whose sizes follow its data (flag 8, sizes 0 in its header):
    // the end record is found past the data all the same.
    Bytes streamed = sample::zip_of({{"a.txt", rng.payload(900)}, {"b.txt", rng.payload(500)}});
    sample::put_le16(streamed, 6, 0x0008);
    sample::put_le32(streamed, 18, 0);
    sample::put_le32(streamed, 22, 0);
    expect_one_whole_file(run_extractor(spec, padded(streamed)), streamed.size());

    // An end record whose directory is not right before it is not this
    // archive's end: with no other, the archive has no end.
    Bytes broken = zip;
    sample::put_le32(broken, broken.size() - 6, 7);
    auto none = run_final(spec, padded(broken));
    EXPECT_TRUE(none.files.empty());
}

TEST(ZipExtractor, KindFromTheContent) {
    sample::Rng rng(11);
    SearchSpec spec = test::spec_from(builtin_formats()[8]);
    auto ext_of = [&](const Bytes& b) {
        auto run = run_extractor(spec, padded(b));
        return run.files.size() == 1 ? run.files[0].extension : std::string("(none)");
    };
    EXPECT_EQ(ext_of(sample::make_zip(rng, 2000, "content.xml")), "sx");
    EXPECT_EQ(ext_of(sample::make_zip(rng, 2000, "mimetype")), "sxw");
    EXPECT_EQ(ext_of(sample::make_zip(rng, 2000, "org/x/Main.class")), "jar");
    EXPECT_EQ(ext_of(sample::make_zip(rng, 2000, "lib/a.jar")), "jar");
    EXPECT_EQ(ext_of(sample::make_zip(rng, 2000, "notes.txt")), "zip");
    const Bytes apk = sample::zip_of({{"AndroidManifest.xml", rng.payload(300)},
                                      {"classes.dex", rng.payload(900)},
                                      {"META-INF/MANIFEST.MF", rng.payload(100)}});
    EXPECT_EQ(ext_of(apk), "apk");
    EXPECT_EQ(ext_of(sample::zip_of({{"[Content_Types].xml", rng.payload(200)}, {"word/document.xml", rng.payload(800)}})),
              "docx");
    EXPECT_EQ(ext_of(sample::zip_of({{"[Content_Types].xml", rng.payload(200)}, {"xl/workbook.xml", rng.payload(800)}})),
              "xlsx");
    EXPECT_EQ(ext_of(sample::zip_of({{"[Content_Types].xml", rng.payload(200)}, {"ppt/presentation.xml", rng.payload(800)}})),
              "pptx");
    const Bytes odt = sample::zip_of({{"mimetype", text_bytes("application/vnd.oasis.opendocument.text")},
                                      {"content.xml", rng.payload(800)}});
    EXPECT_EQ(ext_of(odt), "odt");
    EXPECT_EQ(ext_of(sample::zip_of({{"mimetype", text_bytes("application/vnd.oasis.opendocument.spreadsheet")},
                                     {"content.xml", rng.payload(800)}})),
              "ods");

    // A wanted kind that the archive is not: not recorded, moved past.
    SearchSpec sxc = spec_named("sxc");
    const Bytes sxw = sample::make_zip(rng, 2000, "mimetype");
    auto run = run_extractor(sxc, padded(sxw));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, sxw.size());
    SearchSpec want_sxw = spec_named("sxw");
    EXPECT_EQ(run_extractor(want_sxw, padded(sxw)).files.size(), 1u);
    SearchSpec want_apk = spec_named("apk");
    EXPECT_EQ(run_extractor(want_apk, padded(apk)).files.size(), 1u);
    EXPECT_TRUE(run_extractor(want_apk, padded(odt)).files.empty());
}

TEST(ZipExtractor, ArchivesPastTheBytesGiven) {
    sample::Rng rng(12);
    const Bytes zip = sample::make_zip(rng, 3000);
    SearchSpec spec = test::spec_from(builtin_formats()[8]);
    // The first entry's data passes the bytes given.
    EXPECT_FALSE(run_extractor(spec, Bytes(zip.begin(), zip.begin() + 200)).result);
    EXPECT_FALSE(run_extractor(spec, Bytes(zip.begin(), zip.begin() + 99)).result);
    // Entries complete but no end record anywhere, in the window: go on
    // after the entries.
    Bytes no_end = zip;
    no_end.resize(zip.size() - 22);
    auto run = run_final(spec, padded(no_end));
    EXPECT_TRUE(run.files.empty());
    ASSERT_TRUE(run.result);
    EXPECT_LT(*run.result, no_end.size());
    EXPECT_GT(*run.result, 30u);
}

TEST(OleExtractor, NamesTheDocumentByItsStreams) {
    sample::Rng rng(20);
    SearchSpec ole = test::spec_from(builtin_formats()[7]);
    struct Case {
        const char* stream;
        const char* ext;
    } cases[] = {{"WordDocument", "doc"}, {"Workbook", "xls"},       {"Book", "xls"},
                 {"PowerPoint Document", "ppt"}, {"VisioDocument", "vis"}, {"Contents", "ole"}};
    for (const Case& c : cases) {
        const Bytes doc = sample::make_ole(rng, 6000, c.stream);
        auto run = run_extractor(ole, padded(doc), 0, kBufferAt);
        ASSERT_EQ(run.files.size(), 1u) << c.stream;
        EXPECT_EQ(run.files[0].extension, c.ext);
        EXPECT_EQ(run.files[0].offset, kBufferAt);
        // The header and every sector the FAT names.
        EXPECT_EQ(run.files[0].size, doc.size()) << c.stream;
        // The mini-FAT estimate (directory sector + 6) lies 1024 bytes in.
        EXPECT_EQ(run.result, 1024u);
    }
    // The wanted kind must be in the extension found.
    SearchSpec doc = spec_named("doc");
    EXPECT_TRUE(run_extractor(doc, padded(sample::make_ole(rng, 6000, "Workbook"))).files.empty());
    EXPECT_EQ(run_extractor(doc, padded(sample::make_ole(rng, 6000, "WordDocument"))).files.size(), 1u);
    SearchSpec xls = spec_named("xls");
    auto run = run_extractor(xls, padded(sample::make_ole(rng, 6000, "Contents")));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(xls.extension, "ole");
}

TEST(OleExtractor, HeaderAndDirectoryRejections) {
    sample::Rng rng(21);
    const Bytes doc = sample::make_ole(rng, 6000, "WordDocument");
    SearchSpec ole = test::spec_from(builtin_formats()[7]);
    auto result_of = [&](const Bytes& b) { return run_extractor(ole, padded(b)); };
    Bytes b = doc;
    sample::put_le16(b, 30, 12);
    EXPECT_EQ(result_of(b).result, 512u);
    b = doc;
    sample::put_le32(b, 44, 101);
    EXPECT_EQ(result_of(b).result, 512u);
    b = doc;
    sample::put_le32(b, 72, 101);
    EXPECT_EQ(result_of(b).result, 512u);
    b = doc;
    sample::put_le32(b, 48, 0xFFFFFFFE);  // no directory
    EXPECT_EQ(result_of(b).result, 10u);
    // A FAT sector number past the bytes given asks for the window; in the
    // window, the header is passed over.
    b = doc;
    sample::put_le32(b, 76, 5000);
    auto run = result_of(b);
    EXPECT_TRUE(run.files.empty());
    EXPECT_FALSE(run.result);
    run = run_final(ole, padded(b));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 512u);
    // A directory entry named with "@" abandons the file: go on after the
    // first directory sector.
    b = doc;
    b[1024 + 128] = '@';
    run = result_of(b);
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 1024u);
    b = doc;
    sample::put_le16(b, 1024 + 64, 66);  // name length
    EXPECT_TRUE(result_of(b).files.empty());
    // A directory chain that loops through two sectors ends at 300 steps.
    b = doc;
    sample::put_le32(b, 512 + 4 * 1, 2);
    sample::put_le32(b, 512 + 4 * 2, 1);
    for (size_t e = 0; e < 4; ++e) b[1536 + 128 * e + 66] = 1;
    b[1024 + 256 + 66] = 1;
    b[1024 + 384 + 66] = 1;
    run = result_of(b);
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 1024u);
    // Fewer than a header's bytes: the file may run past them.
    EXPECT_FALSE(run_extractor(ole, Bytes(doc.begin(), doc.begin() + 511)).result);
}

TEST(OleExtractor, DirectoryChainEndsBeforeASectorWithUnusedEntries) {
    sample::Rng rng(23);
    // Sectors: 0 FAT, 1 directory (root, "Contents"), 2..8 stream, 9 spare.
    // Chain the spare sector to the directory and fill it with entries.
    Bytes doc = sample::make_ole(rng, 6000, "Contents");
    ASSERT_EQ(doc.size(), 512u * 11);
    sample::put_le32(doc, 512 + 4 * 1, 9);
    sample::put_le32(doc, 512 + 4 * 9, 0xFFFFFFFE);
    const size_t sector9 = 512 * 10;
    std::fill(doc.begin() + sector9, doc.begin() + sector9 + 512, 0);
    for (size_t e = 0; e < 4; ++e) {
        const size_t at = sector9 + 128 * e;
        const std::string name = e == 0 ? "WordDocument" : "Extra";
        for (size_t i = 0; i < name.size(); ++i) doc[at + 2 * i] = static_cast<uint8_t>(name[i]);
        sample::put_le16(doc, at + 64, static_cast<uint16_t>(2 * (name.size() + 1)));
        doc[at + 66] = 2;
        sample::put_le32(doc, at + 120, 64);
    }
    SearchSpec ole = test::spec_from(builtin_formats()[7]);
    auto run = run_extractor(ole, padded(doc));
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].extension, "doc");  // the second directory sector was read
    // With an unused entry in it, that sector is not part of the directory.
    doc[sector9 + 128 * 3 + 66] = 0;
    run = run_extractor(ole, padded(doc));
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].extension, "ole");
}

TEST(OleExtractor, AFileLongerThanTheBytesGivenIsNeverListedCut) {
    sample::Rng rng(22);
    const Bytes doc = sample::make_ole(rng, 60000, "WordDocument");
    SearchSpec ole = test::spec_from(builtin_formats()[7]);
    const Bytes part(doc.begin(), doc.begin() + 20000);
    auto run = run_extractor(ole, part);
    EXPECT_TRUE(run.files.empty());
    EXPECT_FALSE(run.result);  // the window comes
    EXPECT_TRUE(run_final(ole, part).files.empty());
    EXPECT_EQ(run_extractor(ole, padded(doc)).files.at(0).size, doc.size());
    // The FAT gives the size exactly: sectors it does not name are not the file's.
    Bytes spare = doc;
    spare.resize(doc.size() + 2048, 0x11);
    EXPECT_EQ(run_extractor(ole, padded(spare)).files.at(0).size, doc.size());
}

TEST(RarExtractor, BlockWalkToTheEndOfArchive) {
    sample::Rng rng(30);
    const Bytes rar = sample::make_rar(rng, 3000);
    SearchSpec spec = spec_named("rar");
    auto run = run_extractor(spec, padded(rar), 0, kBufferAt);
    expect_one_whole_file(run, rar.size());

    Bytes not_archive = rar;
    not_archive[9] = 'x';
    run = run_extractor(spec, padded(not_archive));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 7u);

    // The first file's data runs past the bytes given: the window comes (the
    // archive is not taken for an encrypted one and cut short).
    run = run_extractor(spec, Bytes(rar.begin(), rar.begin() + 200));
    EXPECT_TRUE(run.files.empty());
    EXPECT_FALSE(run.result);

    // An archive header of 13 bytes and no file header: the end is the first
    // run of eight zero bytes.
    Bytes empty(rar.begin(), rar.begin() + 20);
    const Bytes filler = sample::Rng(31).payload(300);
    empty.insert(empty.end(), filler.begin(), filler.end());
    run = run_extractor(spec, padded(empty));
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].size, empty.size());
}

TEST(RiffExtractor, SizeFieldKindsAndWantedKinds) {
    sample::Rng rng(40);
    SearchSpec rif = test::spec_from(builtin_formats()[5]);
    // A WAVE whose size field is 1,000 is 1,008 bytes.
    Bytes wav = sample::make_wav(rng, 1008);
    ASSERT_EQ(wav.size(), 1008u);
    auto run = run_extractor(rif, padded(wav), 0, kBufferAt);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].size, 1008u);
    EXPECT_EQ(run.files[0].extension, "wav");
    EXPECT_EQ(run.result, 1008u);

    const Bytes avi = sample::make_avi(rng, 3000);
    run = run_extractor(rif, padded(avi));
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].extension, "avi");
    // An AVI longer than the bytes given is found by walking its chunks on
    // the disk; one the disk's end cuts, or whose chunks do not lead to its
    // end (another file's bytes where its next chunk should be), is not.
    const Bytes long_avi = sample::make_avi(rng, 3 * 1024 * 1024);
    run = run_on_disk(rif, long_avi, 4096);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].size, long_avi.size());
    EXPECT_TRUE(run_on_disk(rif, Bytes(long_avi.begin(), long_avi.end() - 1), 4096).files.empty());
    Bytes overwritten = long_avi;
    sample::put_le32(overwritten, 92, static_cast<uint32_t>(long_avi.size() / 2));  // "movi" ends halfway
    std::fill(overwritten.begin() + long_avi.size() / 2, overwritten.end(), 0);
    EXPECT_TRUE(run_on_disk(rif, overwritten, 4096).files.empty());
    Bytes no_list = avi;
    no_list[12] = 'X';
    EXPECT_EQ(run_extractor(rif, padded(no_list)).result, 4u);
    Bytes zero = avi;
    sample::put_le32(zero, 4, 0);
    EXPECT_EQ(run_extractor(rif, padded(zero)).result, 4u);

    SearchSpec want_avi = spec_named("avi");
    run = run_extractor(want_avi, padded(wav));
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 1008u);
    SearchSpec want_wav = spec_named("wav");
    run = run_extractor(want_wav, padded(wav));
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].extension, "wav");
}

}  // namespace
}  // namespace quen::cdr::test
