// The engine's readers: the same bytes from the direct reads and from the
// read-ahead ring, honest counts of what was read from the source, and a
// card with bad sectors read to its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "cdr/engine/carve_reader.h"
#include "cdr/engine/engine_test_util.h"

namespace quen::cdr {
namespace {

using test::Bytes;
using test::MemorySource;
using platform::kMiB;

bool same(std::span<const uint8_t> got, const Bytes& src, uint64_t at, size_t n) {
    return got.size() == n && std::memcmp(got.data(), src.data() + at, n) == 0;
}

TEST(DirectReader, WindowsAreAssembledFromSectorsAsFarAsTheSourceGoes) {
    MemorySource src(test::random_bytes(10000, 1));
    src.piece = 700;  // reads come back in pieces; the reader keeps reading
    DirectReader r(src, 4096, nullptr);

    const auto c = r.chunk(0, 4096);
    ASSERT_EQ(c.size(), 4096u);
    EXPECT_EQ(r.bytes_read(), 4096u);

    // Unaligned start, partial last sector: 3 sectors are read for 1000 bytes.
    const uint64_t before = r.bytes_read();
    EXPECT_TRUE(same(r.window(300, 1000), src.bytes(), 300, 1000));
    EXPECT_EQ(r.bytes_read() - before, 3u * 512);
    // A window within one sector; and one ending exactly at the source's end.
    EXPECT_TRUE(same(r.window(1030, 10), src.bytes(), 1030, 10));
    EXPECT_TRUE(same(r.window(9000, 1000), src.bytes(), 9000, 1000));
    // Past the end: what there is, or nothing.
    EXPECT_TRUE(same(r.window(9001, 1000), src.bytes(), 9001, 999));
    EXPECT_TRUE(r.window(20000, 10).empty());

    // The last chunk is short; the chunk buffer is untouched by windows.
    const auto last = r.chunk(8192, 4096);
    ASSERT_EQ(last.size(), 10000u - 8192);
    r.window(0, 2000);
    EXPECT_TRUE(same(last, src.bytes(), 8192, last.size()));
    EXPECT_TRUE(r.chunk(10000, 4096).empty());
}

TEST(ReadAheadReader, ServesChunksAndWindowsFromOneRing) {
    const size_t chunk = 1 * kMiB, max_window = 3 * kMiB;
    MemorySource src(test::random_bytes(41 * kMiB + 777, 2));
    auto r = ReadAheadReader::create(src, chunk, max_window);
    ASSERT_NE(r, nullptr);
    ASSERT_GE(r->capacity(), chunk + max_window);

    std::mt19937_64 rng(3);
    uint64_t pos = 0;
    while (true) {
        const auto c = r->chunk(pos, chunk);
        if (c.empty()) break;
        const size_t expect = static_cast<size_t>(std::min<uint64_t>(chunk, src.bytes().size() - pos));
        ASSERT_EQ(c.size(), expect);
        ASSERT_TRUE(same(c, src.bytes(), pos, c.size())) << pos;
        // A few windows that start inside the chunk and reach well past it,
        // across the ring's wrap; the chunk stays intact. Near the end a
        // window holds what there is.
        for (int i = 0; i < 3; ++i) {
            const uint64_t at = pos + rng() % c.size();
            const size_t len = 1 + rng() % max_window;
            const size_t there = static_cast<size_t>(std::min<uint64_t>(len, src.bytes().size() - at));
            ASSERT_TRUE(same(r->window(at, len), src.bytes(), at, there)) << at << "+" << len;
        }
        // A few header bytes far ahead, without reading up to them.
        const uint64_t far = pos + 20 * kMiB;
        if (far + 16 <= src.bytes().size()) {
            ASSERT_TRUE(same(r->fetch(far, 16), src.bytes(), far, 16));
        }
        ASSERT_TRUE(same(c, src.bytes(), pos, c.size())) << pos;
        pos += c.size();
    }
    EXPECT_EQ(pos, src.bytes().size());
    // Every byte of the source was read about once (the fetches on top);
    // read-ahead bytes had to move to the buffer's front now and then.
    EXPECT_GE(r->bytes_read(), src.bytes().size());
    EXPECT_LE(r->bytes_read(), src.bytes().size() + 41 * 16);
    EXPECT_GT(r->bytes_moved(), 0u);

    // Chunks alone never move anything.
    auto plain = ReadAheadReader::create(src, chunk, max_window);
    ASSERT_NE(plain, nullptr);
    for (uint64_t at = 0; !plain->chunk(at, chunk).empty(); at += chunk) {}
    EXPECT_EQ(plain->bytes_moved(), 0u);
    EXPECT_EQ(plain->bytes_read(), src.bytes().size());

    // A window too long for the ring is read on its own.
    auto small = ReadAheadReader::create(src, chunk, 0);
    ASSERT_NE(small, nullptr);
    small->chunk(0, chunk);
    const size_t big = small->capacity() + 5000;
    EXPECT_TRUE(same(small->window(10, big), src.bytes(), 10, big));
}

// Reads the whole source in 1 MiB chunks with a window across each bad spot.
Bytes read_all(CarveReader& r, size_t size) {
    Bytes out;
    for (uint64_t at = 0;; at += kMiB) {
        const auto c = r.chunk(at, kMiB);
        if (c.empty()) break;
        out.insert(out.end(), c.begin(), c.end());
        r.window(at + kMiB - 100, 2 * kMiB);
    }
    out.resize(std::max(out.size(), size), 0xEE);
    return out;
}

TEST(CarveReaders, BadSectorsAreRetriedThenZeroFilledListedAndPassed) {
    const Bytes bytes = test::random_bytes(4 * kMiB, 5);
    auto make = [&] {
        auto s = std::make_unique<MemorySource>(bytes);
        s->bad = {{kMiB + 512, kMiB + 1536}, {kMiB + 1536, kMiB + 2048}, {3 * kMiB - 512, 3 * kMiB + 512}};
        s->flaky = {2 * kMiB + 4096};  // fails once, then reads
        return s;
    };
    Bytes want = bytes;
    std::fill(want.begin() + kMiB + 512, want.begin() + kMiB + 2048, 0);
    std::fill(want.begin() + 3 * kMiB - 512, want.begin() + 3 * kMiB + 512, 0);
    const std::vector<ByteRange> ranges = {{kMiB + 512, 1536}, {3 * kMiB - 512, 1024}};

    auto direct_src = make();
    DirectReader direct(*direct_src, kMiB, nullptr);
    auto ring_src = make();
    auto ring = ReadAheadReader::create(*ring_src, kMiB, 2 * kMiB);
    ASSERT_NE(ring, nullptr);
    for (CarveReader* r : {static_cast<CarveReader*>(&direct), static_cast<CarveReader*>(ring.get())}) {
        EXPECT_TRUE(read_all(*r, bytes.size()) == want);
        EXPECT_EQ(r->unreadable(), ranges);
        EXPECT_FALSE(r->lost());
    }
    // The ring reads every readable byte once; each bad sector was asked for
    // more than once before it was given up.
    EXPECT_EQ(ring->bytes_read(), bytes.size() - 2560);
    EXPECT_GE(ring_src->failures_at(kMiB + 512), 2);
    // A fetch across a bad sector gives nothing rather than zeros.
    EXPECT_TRUE(direct.fetch(kMiB + 500, 100).empty());
    EXPECT_TRUE(same(direct.fetch(kMiB + 2048, 100), bytes, kMiB + 2048, 100));
    // The same from the ring, whose buffer holds the zeros of the bad sector.
    ring->chunk(3 * kMiB, kMiB);
    EXPECT_TRUE(ring->fetch(3 * kMiB + 100, 16).empty());
    EXPECT_TRUE(same(ring->fetch(3 * kMiB + 1024, 16), bytes, 3 * kMiB + 1024, 16));
}

TEST(CarveReaders, ASourceThatIsGoneEndsTheReading) {
    const Bytes bytes = test::random_bytes(4 * kMiB, 6);
    for (int kind = 0; kind < 2; ++kind) {
        MemorySource src(bytes);
        src.gone_from = 2 * kMiB + 1000;
        std::unique_ptr<CarveReader> r;
        if (kind == 0)
            r = std::make_unique<DirectReader>(src, kMiB, nullptr);
        else
            r = ReadAheadReader::create(src, kMiB, 2 * kMiB);
        ASSERT_NE(r, nullptr);
        // A fetch far ahead meets the end first: the chunks before it still
        // read whole, and nothing is lost until a chunk reaches that point.
        EXPECT_TRUE(r->fetch(3 * kMiB, 16).empty());
        EXPECT_EQ(r->chunk(kMiB, kMiB).size(), kMiB);
        EXPECT_FALSE(r->lost());
        // The chunk with the failing spot is short, nothing is zero-filled
        // past it, and the reader says why.
        EXPECT_EQ(r->chunk(2 * kMiB, kMiB).size(), 1000u);
        EXPECT_TRUE(r->lost());
        EXPECT_EQ(r->lost_error(), ENODEV);
        EXPECT_TRUE(r->unreadable().empty());
    }
}

}  // namespace
}  // namespace quen::cdr
