// The engine's readers: the same bytes from the direct reads and from the
// read-ahead ring, and honest counts of what was read from the source.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "cdr/engine/carve_reader.h"
#include "cdr/engine/engine_test_util.h"

namespace quen::cdr {
namespace {

using test::Bytes;
using platform::kMiB;


// An in-memory source that can fail every read from a given offset on and
// serve reads in pieces no longer than `piece` (like a device or pipe would).
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(Bytes b) : bytes_(std::move(b)) {}
    long long read_at(void* buf, size_t n, uint64_t off) override {
        ++calls;
        if (off >= fail_from) return -1;
        if (off >= bytes_.size()) return 0;
        n = std::min<uint64_t>({n, bytes_.size() - off, piece, fail_from - off});
        std::memcpy(buf, bytes_.data() + off, n);
        return static_cast<long long>(n);
    }
    const Bytes& bytes() const { return bytes_; }
    uint64_t fail_from = UINT64_MAX;
    size_t piece = SIZE_MAX;
    int calls = 0;

private:
    Bytes bytes_;
};

bool same(const uint8_t* got, const Bytes& src, uint64_t at, size_t n) {
    return got && std::memcmp(got, src.data() + at, n) == 0;
}

TEST(DirectReader, WindowsAreAssembledFromSectors) {
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
    // Not all bytes there: no window.
    EXPECT_EQ(r.window(9001, 1000), nullptr);
    EXPECT_EQ(r.window(20000, 10), nullptr);

    // The last chunk is short; the chunk buffer is untouched by windows.
    const auto last = r.chunk(8192, 4096);
    ASSERT_EQ(last.size(), 10000u - 8192);
    r.window(0, 2000);
    EXPECT_TRUE(same(last.data(), src.bytes(), 8192, last.size()));
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
        ASSERT_TRUE(same(c.data(), src.bytes(), pos, c.size())) << pos;
        // A few windows that start inside the chunk and reach well past it,
        // across the ring's wrap; the chunk stays intact.
        for (int i = 0; i < 3; ++i) {
            const uint64_t at = pos + rng() % c.size();
            const size_t len = 1 + rng() % max_window;
            const uint8_t* w = r->window(at, len);
            if (at + len <= src.bytes().size()) {
                ASSERT_TRUE(same(w, src.bytes(), at, len)) << at << "+" << len;
            } else {
                ASSERT_EQ(w, nullptr);
            }
        }
        ASSERT_TRUE(same(c.data(), src.bytes(), pos, c.size())) << pos;
        pos += c.size();
    }
    EXPECT_EQ(pos, src.bytes().size());
    // Every byte of the source was read exactly once; read-ahead bytes had
    // to move to the buffer's front now and then.
    EXPECT_EQ(r->bytes_read(), src.bytes().size());
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

TEST(ReadAheadReader, StopsAtAFailingReadLikeTheDirectReader) {
    MemorySource a(test::random_bytes(5 * kMiB, 4)), b(a.bytes());
    a.fail_from = b.fail_from = 2 * kMiB + 1000;
    DirectReader direct(a, kMiB, nullptr);
    auto ring = ReadAheadReader::create(b, kMiB, 2 * kMiB);
    ASSERT_NE(ring, nullptr);
    // A window across the failing spot fails in both.
    direct.chunk(kMiB, kMiB);
    ring->chunk(kMiB, kMiB);
    EXPECT_EQ(direct.window(kMiB + 10, 2 * kMiB), nullptr);
    EXPECT_EQ(ring->window(kMiB + 10, 2 * kMiB), nullptr);
    // The chunk with the failing spot is short; the next one is empty.
    EXPECT_EQ(direct.chunk(2 * kMiB, kMiB).size(), 1000u);
    EXPECT_EQ(ring->chunk(2 * kMiB, kMiB).size(), 1000u);
    EXPECT_TRUE(direct.chunk(2 * kMiB + 1000, kMiB).empty());
    EXPECT_TRUE(ring->chunk(2 * kMiB + 1000, kMiB).empty());
}

}  // namespace
}  // namespace quen::cdr
