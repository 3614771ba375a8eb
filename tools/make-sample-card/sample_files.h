#pragma once
// Small, valid files of every type the carver knows, built in code. Each file
// is laid out so that the carving rules find exactly its bytes (noted per
// function where the rules give another size). Payload bytes come from
// `Rng` and never contain a byte that begins any known header, 00, or FF,
// so no second file is found inside a sample.
#include <cstdint>
#include <string>
#include <vector>

namespace quen::sample {

using Bytes = std::vector<uint8_t>;

// Deterministic generator (splitmix64).
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed) {}
    uint64_t next();
    uint64_t below(uint64_t n) { return n ? next() % n : 0; }
    // Payload bytes: 0x01..0x1F, never a header's first byte.
    Bytes payload(size_t n);

private:
    uint64_t s_;
};

void put_le16(Bytes& b, size_t at, uint16_t v);
void put_le32(Bytes& b, size_t at, uint32_t v);
void put_be16(Bytes& b, size_t at, uint16_t v);
void put_be32(Bytes& b, size_t at, uint32_t v);
void append(Bytes& b, const Bytes& more);
void append(Bytes& b, std::string_view text);

// Roughly `size` bytes each (at least a format's minimum).
Bytes make_jpeg(Rng& rng, size_t size);
Bytes make_gif(Rng& rng, size_t size);
Bytes make_bmp(Rng& rng, size_t size);
Bytes make_png(Rng& rng, size_t size);
Bytes make_mpeg(Rng& rng, size_t size);
Bytes make_pdf(Rng& rng, size_t size, bool linearized);
Bytes make_zip(Rng& rng, size_t size, const std::string& first_name = "readme.txt");
// An archive of stored entries, in order, with its central directory and end record.
struct ZipEntry {
    std::string name;
    Bytes data;
};
Bytes zip_of(const std::vector<ZipEntry>& entries);
// At most 66048 bytes (what one FAT sector covers).
Bytes make_ole(Rng& rng, size_t size, const std::string& stream = "WordDocument");
Bytes make_avi(Rng& rng, size_t size);
Bytes make_wav(Rng& rng, size_t size);
Bytes make_wmv(Rng& rng, size_t size);
Bytes make_html(Rng& rng, size_t size);
// The carved file starts 4 bytes before the "moov" header.
Bytes make_mov(Rng& rng, size_t size);
Bytes make_rar(Rng& rng, size_t size);
Bytes make_exe(Rng& rng, size_t size, bool library);
// Carved one byte short (the text run stops before its last byte), when a
// non-text byte precedes and follows it.
Bytes make_cpp(Rng& rng, size_t size);

}  // namespace quen::sample
