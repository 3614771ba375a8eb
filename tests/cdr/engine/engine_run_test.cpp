// Whole engine runs over image files with the toy formats: quick mode, the
// window for a file that runs past its chunk, type nodes, names, stopping.
#include <gtest/gtest.h>

#include "cdr/engine/engine_test_util.h"

namespace quen::cdr {
namespace {

using namespace test;

std::vector<std::string> names(const std::vector<Found>& files) {
    std::vector<std::string> out;
    for (const auto& f : files) out.push_back(f.name);
    return out;
}

TEST(EngineRun, QuickModeLooksOnlyAtBlockBoundariesOfTheExtent) {
    Bytes img(3 * kMiB, 0);
    put_toy(img, 4096, 100);          // on a boundary
    put_toy(img, 8200, 100);          // not
    put_toy(img, kMiB + 512, 64);     // second chunk, on a boundary
    put_toy(img, 2 * kMiB - 3, 64);   // across the chunk seam, not on a boundary
    TempImage file(img);

    const auto quick = run_image(file.path(), img.size(), {"search", "-q", "-k", "1", "-t", "toy"}, toy_catalog());
    EXPECT_EQ(names(quick.files), (std::vector<std::string>{"8.toy", "2049.toy"}));
    const auto full = run_image(file.path(), img.size(), {"search", "-k", "1", "-t", "toy"}, toy_catalog());
    EXPECT_EQ(names(full.files), (std::vector<std::string>{"8.toy", "16.toy", "2049.toy"}));

    // A partition starting 1000 bytes into the disk: boundaries count from
    // there, names and offsets from the disk's first byte.
    Bytes disk(2 * kMiB, 0);
    put_toy(disk, 1000 + 512, 100);  // extent boundary
    put_toy(disk, 2048, 100);        // disk boundary only
    TempImage dfile(disk);
    ImageTree tree(dfile.path(), disk.size());
    CdrNode* part = tree.disk->add_child(CdrKind::Partition, "PARTITION-0");
    part->start_offset = 1000;
    part->length = disk.size() - 1000;
    CarveRunConfig cfg;
    const auto r = carve_run(*part, {"search", "-q", "-t", "toy", "-i", dfile.path()}, toy_catalog(), cfg);
    EXPECT_EQ(r.status, CarveStatus::Done);
    const auto files = collect(*part);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].offset, 1512u);
    EXPECT_EQ(files[0].name, "2.toy");
    EXPECT_TRUE(tree.disk->found_files.empty());
}

TEST(EngineRun, FileRunningPastItsChunkIsFoundThroughTheWindow) {
    // A footer type 100 bytes before the chunk's end with its footer 2 KiB
    // into the next chunk; and a length type needing the window too.
    Bytes img(6 * kMiB, 0);
    put(img, kMiB - 100, bytes_of("<F>"));
    put(img, kMiB + 2048, bytes_of("</F>"));
    put_toy(img, 2 * kMiB + 1000, static_cast<uint32_t>(kMiB + 500 * 1024));
    put_toy(img, 2 * kMiB + 600 * 1024, 100);  // inside the long toy file: not a file of its own
    put_toy(img, 3 * kMiB + 700 * 1024, 100);  // after it, in the chunk the window reached into
    // A header whose file the disk's end cuts hides nothing after it.
    put_toy(img, 5 * kMiB + 1000, static_cast<uint32_t>(3 * kMiB - 8));
    put_toy(img, 5 * kMiB + 9000, 100);
    TempImage file(img);
    for (ReaderKind kind : {ReaderKind::ReadAhead, ReaderKind::Direct}) {
        const auto out = run_image(file.path(), img.size(), {"search", "-k", "1", "-t", "toy,ftr"},
                                   toy_catalog(), kind);
        const std::vector<Found> want = {
            {"toy", "4097.toy", 2 * kMiB + 1000, kMiB + 500 * 1024},
            {"toy", "7544.toy", 3 * kMiB + 700 * 1024, 100},
            {"toy", "10257.toy", 5 * kMiB + 9000, 100},
            {"ftr", "2047.ftr", kMiB - 100, 100 + 2048 + 4},
        };
        EXPECT_EQ(out.files, want);
        if (kind == ReaderKind::ReadAhead) {
            EXPECT_EQ(out.result.bytes_read, img.size());  // each byte once
        } else {
            // The windows were read on top of the chunks, each with one extra
            // sector for its unaligned ends; the last one only to the
            // image's end.
            EXPECT_EQ(out.result.bytes_read, img.size() + 2 * kMiB + 3 * kMiB + 2 * 512 + kMiB - 512);
        }
    }
}

TEST(EngineRun, WindowNearTheDeviceEndHoldsWhatIsThere) {
    // A file across the first chunk's end, within the type's max length of
    // the disk's end: read as far as the disk goes, it is whole.
    Bytes img(kMiB + 8192, 0);
    put_toy(img, kMiB - 512, 3000);
    put_toy(img, img.size() - 1024, 2000);  // longer than what is left of the image
    put_toy(img, 512, 600);
    TempImage file(img);
    for (ReaderKind kind : {ReaderKind::ReadAhead, ReaderKind::Direct}) {
        const auto out = run_image(file.path(), img.size(), {"search", "-q", "-k", "1", "-t", "toy"}, toy_catalog(), kind);
        EXPECT_EQ(names(out.files), (std::vector<std::string>{"1.toy", "2047.toy"}));
    }
}

TEST(EngineRun, BadSectorsAreReportedAndTheRunGoesOnToTheEnd) {
    Bytes img(8 * kMiB, 0);
    put_toy(img, kMiB, 100);
    put_toy(img, 5 * kMiB, 100);  // after the bad sectors
    put_toy(img, 7 * kMiB + 512, 100);
    TempImage file(img);
    for (ReaderKind kind : {ReaderKind::ReadAhead, ReaderKind::Direct}) {
        MemorySource disk(img);
        disk.bad = {{3 * kMiB, 3 * kMiB + 4096}, {6 * kMiB + 512, 6 * kMiB + 1024}};
        ImageTree tree(file.path(), img.size());
        CarveRunConfig cfg;
        cfg.reader = kind;
        cfg.source = &disk;
        const auto r = carve_run(*tree.disk, {"search", "-q", "-t", "toy", "-i", file.path()}, toy_catalog(), cfg);
        EXPECT_EQ(r.status, CarveStatus::Done);
        EXPECT_EQ(names(collect(*tree.disk)), (std::vector<std::string>{"2048.toy", "10240.toy", "14337.toy"}));
        EXPECT_EQ(r.unreadable, (std::vector<ByteRange>{{3 * kMiB, 4096}, {6 * kMiB + 512, 512}}));
        EXPECT_EQ(r.bytes_read, img.size() - 4096 - 512);
    }
}

TEST(EngineRun, ADeviceThatGoesAwayEndsTheRunWithAnError) {
    Bytes img(8 * kMiB, 0);
    put_toy(img, kMiB, 100);
    put_toy(img, 5 * kMiB, 100);
    TempImage file(img);
    MemorySource disk(img);
    disk.gone_from = 4 * kMiB + 4096;
    ImageTree tree(file.path(), img.size());
    CarveRunConfig cfg;
    cfg.source = &disk;
    const auto r = carve_run(*tree.disk, {"search", "-q", "-t", "toy", "-i", file.path()}, toy_catalog(), cfg);
    EXPECT_EQ(r.status, CarveStatus::DeviceLost);
    EXPECT_NE(r.message.find("stopped answering at byte 4198400"), std::string::npos) << r.message;
    EXPECT_EQ(names(collect(*tree.disk)), (std::vector<std::string>{"2048.toy"}));  // what was found stays
}

TEST(EngineRun, EveryTypeHasItsNodeAndNamesFollowTheBlockSize) {
    Bytes img(2 * kMiB, 0);
    put_toy(img, kMiB, 4096);
    put(img, 8192, bytes_of("<HtMl>hello</HTML>"));
    TempImage file(img);
    ImageTree tree(file.path(), img.size());
    CarveRunConfig cfg;
    const auto r = carve_run(*tree.disk, {"search", "-q", "-i", file.path()}, toy_catalog(), cfg);
    EXPECT_EQ(r.status, CarveStatus::Done);
    EXPECT_EQ(r.files_found, 2u);
    std::vector<std::string> nodes;
    for (const auto& c : tree.disk->children) {
        nodes.push_back(c->name);
        EXPECT_EQ(c->kind, CdrKind::FileType);
        EXPECT_EQ(c->found_count, c->found_files.size());
    }
    EXPECT_EQ(nodes, (std::vector<std::string>{"toy", "ftr", "nox", "htm"}));
    const auto files = collect(*tree.disk);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], (Found{"toy", "2048.toy", kMiB, 4096}));
    EXPECT_EQ(files[1], (Found{"htm", "16.htm", 8192, 18}));
    EXPECT_EQ(tree.disk->children.front()->found_files.front().block_size, 512u);

    const auto big = run_image(file.path(), img.size(), {"search", "-q", "-b", "4096", "-t", "toy"}, toy_catalog());
    EXPECT_EQ(names(big.files), (std::vector<std::string>{"256.toy"}));
}

TEST(EngineRun, StopThroughTheCallbackKeepsWhatWasFound) {
    Bytes img(8 * kMiB, 0);
    for (int i = 0; i < 8; ++i) put_toy(img, i * kMiB + 512, 100);
    TempImage file(img);

    // Stop asked for once the first file is recorded.
    bool stop = false;
    auto on_file = [&stop](uint64_t, uint64_t, const FoundFile* f) {
        if (f) stop = true;
        return stop ? kProgressStop : kProgressGoOn;
    };
    const auto a = run_image(file.path(), img.size(), {"search", "-q", "-k", "1", "-t", "toy"}, toy_catalog(),
                             ReaderKind::ReadAhead, on_file);
    EXPECT_EQ(a.result.status, CarveStatus::Stopped);
    EXPECT_EQ(names(a.files), (std::vector<std::string>{"1.toy"}));
    EXPECT_EQ(a.result.bytes_read, kMiB);

    // Stop at the chunk boundary after 3 MiB: the per-chunk call carries the position.
    std::vector<uint64_t> totals;
    auto at_three = [&totals](uint64_t total, uint64_t current, const FoundFile*) {
        totals.push_back(total);
        return current >= 3 * kMiB ? kProgressStop : kProgressGoOn;
    };
    const auto b = run_image(file.path(), img.size(), {"search", "-q", "-k", "1", "-t", "toy"}, toy_catalog(),
                             ReaderKind::ReadAhead, at_three);
    EXPECT_EQ(b.result.status, CarveStatus::Stopped);
    EXPECT_EQ(b.files.size(), 3u);
    for (uint64_t t : totals) EXPECT_EQ(t, img.size());

    // Quiet: no per-chunk call, but the checks within the search still stop.
    int calls = 0;
    auto count = [&calls](uint64_t, uint64_t current, const FoundFile*) {
        ++calls;
        return current >= 5 * kMiB ? kProgressStop : kProgressGoOn;
    };
    const auto c = run_image(file.path(), img.size(), {"search", "-q", "-Q", "-k", "1", "-t", "toy"},
                             toy_catalog(), ReaderKind::ReadAhead, count);
    EXPECT_EQ(c.result.status, CarveStatus::Stopped);
    EXPECT_EQ(c.files.size(), 5u);
}

TEST(EngineRun, WriteAllRecordsRejectedHeaders) {
    Bytes img(kMiB, 0);
    put(img, 1024, bytes_of("NOX"));  // no extractor
    put_toy(img, 2048, 3);            // rejected: length below 8
    TempImage file(img);
    const auto out = run_image(file.path(), img.size(), {"search", "-q", "-a", "-t", "toy,nox"}, toy_catalog());
    const std::vector<Found> want = {
        {"toy", "4.toy", 2048, kMiB - 2048},
        {"nox", "2.nox", 1024, kMiB - 1024},
    };
    EXPECT_EQ(out.files, want);
}

TEST(EngineRun, HostileInputsEndTheRunCleanly) {
    // An extractor that says "continue at the hit" must not loop forever.
    Bytes img(kMiB, 0);
    put(img, 0, bytes_of("STK"));
    put(img, 700, bytes_of("STK"));
    TempImage file(img);
    const auto stuck = run_image(file.path(), img.size(), {"search", "-t", "stuck"}, toy_catalog());
    EXPECT_EQ(stuck.result.status, CarveStatus::Done);

    // A header cut off by the image's end is not a hit, even where the chunk
    // buffer still holds the rest of an earlier chunk's bytes (write-all
    // would record any hit, so a false one would show).
    Bytes tail(kMiB + 514, 0);
    put_toy(tail, 512, 64);
    put(tail, kMiB + 512, bytes_of("TO"));
    TempImage tfile(tail);
    for (ReaderKind kind : {ReaderKind::ReadAhead, ReaderKind::Direct}) {
        const auto out = run_image(tfile.path(), tail.size(), {"search", "-q", "-a", "-k", "1", "-t", "toy"},
                                   toy_catalog(), kind);
        EXPECT_EQ(names(out.files), (std::vector<std::string>{"1.toy"}));
    }

    // No input name; a node with no readable handle. The caller hears of it
    // with the text the result carries.
    ImageTree tree(tfile.path(), tail.size());
    CarveRunConfig cfg;
    std::vector<std::string> errors;
    cfg.on_text = [&](EngineText kind, const std::string& text) {
        if (kind == EngineText::Error) errors.push_back(text);
    };
    const CarveResult no_input = carve_run(*tree.disk, {"search", "-q"}, toy_catalog(), cfg);
    EXPECT_EQ(no_input.status, CarveStatus::InputError);
    EXPECT_EQ(errors, (std::vector<std::string>{no_input.message}));
    tree.disk->read_handle.reset();
    EXPECT_EQ(carve_run(*tree.disk, {"search", "-q", "-i", "x"}, toy_catalog(), cfg).status,
              CarveStatus::InputError);
}

TEST(EngineRun, ImageIsByteIdenticalAfterAScan) {
    Bytes img = random_bytes(3 * kMiB, 9);
    put_toy(img, 4096, 100);
    TempImage file(img);
    const auto out = run_image(file.path(), img.size(), {"search", "-q", "-k", "1"}, toy_catalog());
    EXPECT_FALSE(out.files.empty());
    EXPECT_EQ(file.read_back(), img);
}

}  // namespace
}  // namespace quen::cdr
