#include "sample_files.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace quen::sample {

uint64_t Rng::next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

Bytes Rng::payload(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; i += 8) {
        const uint64_t x = next();
        for (size_t k = 0; k < 8 && i + k < n; ++k) b[i + k] = static_cast<uint8_t>(1 + ((x >> (8 * k)) & 0xFF) % 31);
    }
    return b;
}

void put_le16(Bytes& b, size_t at, uint16_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8;
}
void put_le32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void put_be16(Bytes& b, size_t at, uint16_t v) {
    b[at] = v >> 8;
    b[at + 1] = v & 0xFF;
}
void put_be32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * (3 - i)));
}
void append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
void append(Bytes& b, std::string_view text) { b.insert(b.end(), text.begin(), text.end()); }

namespace {

void append_le16(Bytes& b, uint16_t v) { b.resize(b.size() + 2); put_le16(b, b.size() - 2, v); }
void append_le32(Bytes& b, uint32_t v) { b.resize(b.size() + 4); put_le32(b, b.size() - 4, v); }
void append_le64(Bytes& b, uint64_t v) { append_le32(b, static_cast<uint32_t>(v)); append_le32(b, static_cast<uint32_t>(v >> 32)); }
void append_be16(Bytes& b, uint16_t v) { b.resize(b.size() + 2); put_be16(b, b.size() - 2, v); }
void append_be32(Bytes& b, uint32_t v) { b.resize(b.size() + 4); put_be32(b, b.size() - 4, v); }

uint32_t crc32(const uint8_t* p, size_t n) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

size_t at_least(size_t size, size_t minimum) { return std::max(size, minimum); }

}  // namespace

Bytes make_jpeg(Rng& rng, size_t size) {
    Bytes b{0xFF, 0xD8};
    // APP0 "JFIF" 1.1, no thumbnail.
    append(b, Bytes{0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    // DQT: one 8-bit table (id 0) of 64 values.
    append(b, Bytes{0xFF, 0xDB, 0x00, 0x43, 0x00});
    append(b, rng.payload(64));
    // DHT: DC table 0, 16 code counts and 12 symbols.
    append(b, Bytes{0xFF, 0xC4, 0x00, 0x1F, 0x00});
    append(b, rng.payload(28));
    // SOF0: 8-bit, 16 x 16, three components.
    append(b, Bytes{0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x10, 0x00, 0x10, 0x03, 0x01, 0x22, 0x00, 0x02, 0x11,
                    0x01, 0x03, 0x11, 0x01});
    // SOS, then entropy-coded data (no FF in it) and EOI.
    append(b, Bytes{0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00});
    const size_t total = at_least(size, b.size() + 16);
    append(b, rng.payload(total - b.size() - 2));
    append(b, Bytes{0xFF, 0xD9});
    return b;
}

Bytes make_gif(Rng& rng, size_t size) {
    Bytes b;
    append(b, "GIF89a");
    // 257 x 257, global colour table of 2 entries.
    append(b, Bytes{0x01, 0x01, 0x01, 0x01, 0x80, 0x00, 0x00});
    append(b, rng.payload(6));
    append(b, Bytes{0x2C, 0, 0, 0, 0, 0x01, 0x01, 0x01, 0x01, 0x00, 0x02});
    const size_t total = at_least(size, b.size() + 8);
    // Image data in sub-blocks; no data byte is 00, so the first 00 3B is the end.
    while (b.size() + 2 < total) {
        const size_t n = std::min<size_t>(255, total - b.size() - 3);
        if (n == 0) break;
        b.push_back(static_cast<uint8_t>(n));
        append(b, rng.payload(n));
    }
    append(b, Bytes{0x00, 0x3B});
    return b;
}

Bytes make_bmp(Rng& rng, size_t size) {
    const size_t total = at_least(size, 200);
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    put_le32(b, 2, static_cast<uint32_t>(total));
    put_le32(b, 10, 54);
    put_le32(b, 14, 40);
    // 24-bit rows of whole 4-byte words, as many as fit.
    const size_t width = total >= 54 + 3072 ? 1024 : std::max<size_t>(1, (total - 54) / 3);
    const size_t row = (3 * width + 3) / 4 * 4;
    put_le32(b, 18, static_cast<uint32_t>(width));
    put_le32(b, 22, static_cast<uint32_t>(std::max<size_t>(1, (total - 54) / row)));
    put_le16(b, 26, 1);
    put_le16(b, 28, 24);
    put_le32(b, 34, static_cast<uint32_t>(total - 54));
    append(b, rng.payload(total - 54));
    return b;
}

namespace {

void png_chunk(Bytes& b, const char* type, const Bytes& data) {
    append_be32(b, static_cast<uint32_t>(data.size()));
    const size_t start = b.size();
    append(b, std::string_view(type, 4));
    append(b, data);
    append_be32(b, crc32(b.data() + start, b.size() - start));
}

}  // namespace

Bytes make_png(Rng& rng, size_t size) {
    Bytes b{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr(13, 0);
    put_be32(ihdr, 0, 640);
    put_be32(ihdr, 4, 480);
    ihdr[8] = 8;
    ihdr[9] = 2;
    png_chunk(b, "IHDR", ihdr);
    const size_t total = at_least(size, 8 + 25 + 12 + 16 + 12);
    png_chunk(b, "IDAT", rng.payload(total - 8 - 25 - 12 - 12));
    png_chunk(b, "IEND", {});
    return b;
}

Bytes make_mpeg(Rng& rng, size_t size) {
    const Bytes pack{0x00, 0x00, 0x01, 0xBA, 0x21, 0x01, 0x01, 0x01, 0x01, 0x81, 0x01, 0x01};
    Bytes b = pack;
    // System header: id BB, 12 bytes after its length.
    append(b, Bytes{0x00, 0x00, 0x01, 0xBB});
    append_be16(b, 12);
    append(b, rng.payload(12));
    const size_t total = at_least(size, 2048);
    // Packets (id E0) of at most 2000 bytes fill the file exactly; a zero
    // length would end the walk, so no packet is left with less than one byte.
    int packets = 0;
    for (;;) {
        size_t room = total - b.size() - 4;
        if (room < 7) break;
        if (packets > 0 && packets % 4 == 0 && room >= 2000 + 6 + 12 + 7) {
            append(b, pack);
            room -= 12;
        }
        size_t n = std::min<size_t>(2000, room - 6);
        const size_t left = room - 6 - n;
        if (left > 0 && left < 7) n -= 7;
        append(b, Bytes{0x00, 0x00, 0x01, 0xE0});
        append_be16(b, static_cast<uint16_t>(n));
        append(b, rng.payload(n));
        ++packets;
    }
    append(b, Bytes{0x00, 0x00, 0x01, 0xB9});
    return b;
}

namespace {

const char* const kWords[] = {"alder", "birch", "cedar", "delta", "ember", "fjord", "grove", "heath",
                              "inlet", "juniper", "kestrel", "larch", "maple", "nettle", "osier", "pine"};

std::string words(Rng& rng, size_t n) {
    std::string s;
    while (s.size() < n) {
        s += kWords[rng.below(16)];
        s += (rng.below(12) == 0) ? '\n' : ' ';
    }
    s.resize(n);
    return s;
}

}  // namespace

Bytes make_pdf(Rng& rng, size_t size, bool linearized) {
    std::string head = "%PDF-1.4\n1 0 obj\n<< ";
    const std::string tail = "\nendstream\nendobj\ntrailer\n<< /Root 1 0 R >>\n%%EOF\n";
    const size_t total = at_least(size, 700);
    if (linearized) {
        char num[16];
        std::snprintf(num, sizeof num, "%08zu", total);
        head += "/Linearized 1 /L ";
        head += num;
        head += " /N 1 ";
    }
    head += ">>\nendobj\n2 0 obj\n<< /Length 0 >>\nstream\n";
    Bytes b;
    append(b, head);
    append(b, words(rng, total - head.size() - tail.size()));
    append(b, tail);
    return b;
}

namespace {

}  // namespace

Bytes zip_of(const std::vector<ZipEntry>& entries) {
    Bytes b, cd;
    for (const ZipEntry& e : entries) {
        const uint32_t offset = static_cast<uint32_t>(b.size());
        const uint32_t crc = crc32(e.data.data(), e.data.size());
        append(b, Bytes{0x50, 0x4B, 0x03, 0x04, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0x6B, 0x88, 0x59});
        append_le32(b, crc);
        append_le32(b, static_cast<uint32_t>(e.data.size()));
        append_le32(b, static_cast<uint32_t>(e.data.size()));
        append_le16(b, static_cast<uint16_t>(e.name.size()));
        append_le16(b, 0);
        append(b, e.name);
        append(b, e.data);
        append(cd, Bytes{0x50, 0x4B, 0x01, 0x02, 0x14, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0x6B, 0x88, 0x59});
        append_le32(cd, crc);
        append_le32(cd, static_cast<uint32_t>(e.data.size()));
        append_le32(cd, static_cast<uint32_t>(e.data.size()));
        append_le16(cd, static_cast<uint16_t>(e.name.size()));
        append(cd, Bytes(12, 0x00));  // extra, comment, disk, attributes
        append_le32(cd, offset);
        append(cd, e.name);
    }
    const uint32_t cd_offset = static_cast<uint32_t>(b.size());
    append(b, cd);
    append(b, Bytes{0x50, 0x4B, 0x05, 0x06, 0x00, 0x00, 0x00, 0x00});
    append_le16(b, static_cast<uint16_t>(entries.size()));
    append_le16(b, static_cast<uint16_t>(entries.size()));
    append_le32(b, static_cast<uint32_t>(cd.size()));
    append_le32(b, cd_offset);
    append_le16(b, 0);  // no comment
    return b;
}

Bytes make_zip(Rng& rng, size_t size, const std::string& first_name) {
    std::vector<ZipEntry> entries;
    if (first_name == "mimetype") {
        const std::string mime = "application/vnd.sun.xml.writer";
        entries.push_back({"mimetype", Bytes(mime.begin(), mime.end())});
        entries.push_back({"content.xml", {}});
    } else {
        entries.push_back({first_name, {}});
    }
    entries.push_back({"data/part.bin", {}});
    const size_t overhead = zip_of(entries).size();
    const size_t total = at_least(size, overhead + 32);
    const size_t room = total - overhead;
    entries[entries.size() - 2].data = rng.payload(room / 2);
    entries.back().data = rng.payload(room - room / 2);
    return zip_of(entries);
}

Bytes make_ole(Rng& rng, size_t size, const std::string& stream) {
    // Header, FAT (sector 0), directory (sector 1) and k stream sectors: the
    // FAT covers every sector of the file, so its one sector bounds the size
    // (at most 128 sectors, 66048 bytes).
    const size_t k = std::min<size_t>(126, std::max<size_t>(3, (at_least(size, 4096) - 1536) / 512));
    Bytes b(512 * (k + 3), 0);
    const uint8_t sig[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(sig), std::end(sig), b.begin());
    put_le16(b, 24, 0x3E);
    put_le16(b, 26, 3);
    put_le16(b, 28, 0xFFFE);
    put_le16(b, 30, 9);
    put_le16(b, 32, 6);
    put_le32(b, 44, 1);            // FAT sectors
    put_le32(b, 48, 1);            // first directory sector
    put_le32(b, 56, 4096);         // mini-stream cutoff
    put_le32(b, 60, 0xFFFFFFFE);   // no mini-FAT
    put_le32(b, 68, 0xFFFFFFFE);   // no DIFAT
    put_le32(b, 76, 0);            // FAT in sector 0
    for (size_t i = 1; i < 109; ++i) put_le32(b, 76 + 4 * i, 0xFFFFFFFF);
    // FAT.
    const size_t fat = 512;
    for (size_t i = 0; i < 128; ++i) put_le32(b, fat + 4 * i, 0xFFFFFFFF);
    put_le32(b, fat + 0, 0xFFFFFFFD);
    put_le32(b, fat + 4, 0xFFFFFFFE);
    for (size_t s = 2; s < 2 + k; ++s) put_le32(b, fat + 4 * s, s + 1 < 2 + k ? static_cast<uint32_t>(s + 1) : 0xFFFFFFFE);
    // Directory: root entry and one stream.
    auto entry = [&](size_t at, const std::string& name, uint8_t type, uint32_t start, uint32_t len) {
        for (size_t i = 0; i < name.size(); ++i) b[at + 2 * i] = static_cast<uint8_t>(name[i]);
        put_le16(b, at + 64, static_cast<uint16_t>(2 * (name.size() + 1)));
        b[at + 66] = type;
        b[at + 67] = 1;
        put_le32(b, at + 68, 0xFFFFFFFF);
        put_le32(b, at + 72, 0xFFFFFFFF);
        put_le32(b, at + 76, 0xFFFFFFFF);
        put_le32(b, at + 116, start);
        put_le32(b, at + 120, len);
    };
    const size_t dir = 1024;
    entry(dir, "Root Entry", 5, 0xFFFFFFFE, 0);
    entry(dir + 128, stream, 2, 2, static_cast<uint32_t>(512 * k));
    put_le32(b, dir + 76, 1);  // root's child: the stream
    const Bytes data = rng.payload(512 * k);
    std::copy(data.begin(), data.end(), b.begin() + 1536);
    return b;
}

Bytes make_avi(Rng& rng, size_t size) {
    const size_t total = at_least(size, 256);
    Bytes b;
    append(b, "RIFF");
    append_le32(b, static_cast<uint32_t>(total - 8));
    append(b, "AVI LIST");
    append_le32(b, 4 + 64);
    append(b, "hdrlavih");
    append_le32(b, 56);
    append(b, rng.payload(56));
    append(b, "LIST");
    append_le32(b, static_cast<uint32_t>(total - b.size() - 4));
    append(b, "movi");
    append(b, rng.payload(total - b.size()));
    return b;
}

Bytes make_wav(Rng& rng, size_t size) {
    const size_t total = at_least(size, 128);
    Bytes b;
    append(b, "RIFF");
    append_le32(b, static_cast<uint32_t>(total - 8));
    append(b, "WAVEfmt ");
    append_le32(b, 16);
    append(b, Bytes{0x01, 0x00, 0x01, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x88, 0x58, 0x01, 0x00, 0x02, 0x00, 0x10, 0x00});
    append(b, "data");
    append_le32(b, static_cast<uint32_t>(total - b.size() - 4));
    append(b, rng.payload(total - b.size()));
    return b;
}

Bytes make_wmv(Rng& rng, size_t size) {
    const size_t total = at_least(size, 512);
    Bytes b{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    append_le64(b, 30 + 104);  // header object size
    append_le32(b, 1);         // one header object
    append(b, Bytes{0x01, 0x02});
    // File properties object.
    append(b, Bytes{0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11, 0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65});
    append_le64(b, 104);
    append(b, rng.payload(16));  // file id
    append_le64(b, total);       // file size
    append(b, rng.payload(104 - 48));
    // Data object with its packets.
    append(b, Bytes{0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C});
    append_le64(b, total - b.size() + 16);
    append(b, rng.payload(total - b.size()));
    return b;
}

Bytes make_html(Rng& rng, size_t size) {
    const std::string head = "<html>\n<head><title>Field notes</title></head>\n<body>\n<p>";
    const std::string tail = "</p>\n</body>\n</html>";
    const size_t total = at_least(size, head.size() + tail.size() + 16);
    Bytes b;
    append(b, head);
    append(b, words(rng, total - head.size() - tail.size()));
    append(b, tail);
    return b;
}

Bytes make_mov(Rng& rng, size_t size) {
    const size_t total = at_least(size, 256);
    Bytes b;
    append_be32(b, 8 + 108);
    append(b, "moov");
    append_be32(b, 108);
    append(b, "mvhd");
    append(b, rng.payload(100));
    append_be32(b, static_cast<uint32_t>(total - b.size()));
    append(b, "mdat");
    append(b, rng.payload(total - b.size()));
    return b;
}

Bytes make_rar(Rng& rng, size_t size) {
    Bytes b{0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    // Archive header: 13 bytes.
    append(b, Bytes{0x90, 0xCF, 0x73, 0x00, 0x00, 0x0D, 0x00, 0, 0, 0, 0, 0, 0});
    const size_t total = at_least(size, 200);
    const std::string names[] = {"notes.txt", "photo.raw"};
    const size_t room = total - b.size() - 2 * (32 + 9) - 7;
    for (int f = 0; f < 2; ++f) {
        const size_t packed = f == 0 ? room / 2 : room - room / 2;
        const uint16_t header = static_cast<uint16_t>(32 + names[f].size());
        append(b, Bytes{0x12, 0x34, 0x74, 0x00, 0x80});
        append_le16(b, header);
        append_le32(b, static_cast<uint32_t>(packed));
        append_le32(b, static_cast<uint32_t>(packed));
        append(b, Bytes{0x02});  // host OS
        append_le32(b, 0x1234ABCD);
        append_le32(b, 0x59886B21);
        append(b, Bytes{0x14, 0x30});  // version, method (store)
        append_le16(b, static_cast<uint16_t>(names[f].size()));
        append_le32(b, 0x20);
        append(b, names[f]);
        append(b, rng.payload(packed));
    }
    append(b, Bytes{0xC4, 0x3D, 0x7B, 0x00, 0x40, 0x07, 0x00});
    return b;
}

Bytes make_exe(Rng& rng, size_t size, bool library) {
    const size_t total = at_least(size, 1024);
    Bytes b(512, 0);
    b[0] = 'M';
    b[1] = 'Z';
    put_le16(b, 2, 0x90);
    put_le32(b, 60, 0x80);
    const Bytes stub = rng.payload(0x80 - 64);
    std::copy(stub.begin(), stub.end(), b.begin() + 64);
    const size_t pe = 0x80;
    b[pe] = 'P';
    b[pe + 1] = 'E';
    put_le16(b, pe + 4, 0x014C);
    put_le16(b, pe + 6, 2);
    put_le16(b, pe + 20, 224);
    put_le16(b, pe + 22, library ? 0x2102 : 0x0102);
    put_le16(b, pe + 24, 0x010B);
    put_le32(b, pe + 24 + 36, 512);  // file alignment
    const size_t raw = total - 512;
    const uint32_t first = static_cast<uint32_t>((raw / 2) & ~size_t{511});
    const uint32_t second = static_cast<uint32_t>(raw - first);
    auto section = [&](size_t at, const char* name, uint32_t ptr, uint32_t len) {
        std::copy(name, name + 5, b.begin() + at);
        put_le32(b, at + 8, len);
        put_le32(b, at + 12, ptr);
        put_le32(b, at + 16, len);
        put_le32(b, at + 20, ptr);
    };
    section(pe + 248, ".text", 512, first);
    section(pe + 288, ".data", 512 + first, second);
    append(b, rng.payload(raw));
    return b;
}

Bytes make_cpp(Rng& rng, size_t size) {
    std::string text = "#include <stdio.h>\n\nint main(void)\n{\n    printf(\"sample\\n\");\n    return 0;\n}\n";
    while (text.size() < size) text += "/* " + words(rng, 60) + " */\n";
    return Bytes(text.begin(), text.end());
}

}  // namespace quen::sample
