#include "sample_card.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "cdr/formats/format_table.h"
#include "cdr/engine/pattern.h"
#include "sample_phone_files.h"

namespace quen::sample {

namespace {

uint64_t align_up(uint64_t n) { return (n + kSectorSize - 1) / kSectorSize * kSectorSize; }

class Layout {
public:
    Layout(Bytes& image, std::vector<ExpectedFile>& expected, std::vector<uint64_t>& planted)
        : image_(image), expected_(expected), planted_(planted) {}

    void put(uint64_t at, const Bytes& b) { std::copy(b.begin(), b.end(), image_.begin() + at); }

    // A file found whole: its bytes at `at`, listed as type/extension. Its
    // own inner headers at sector offsets (an Ogg page, a movie's "moov")
    // were put there too.
    void found(uint64_t at, const Bytes& b, const std::string& type, const std::string& ext) {
        put(at, b);
        expect(type, ext, at, b.size());
        planted_.push_back(align_up(at));
        for (uint64_t inner : aligned_header_hits(image_, at + 1, at + b.size())) planted_.push_back(inner);
    }

    void expect(const std::string& type, const std::string& ext, uint64_t off, uint64_t size) {
        expected_.push_back({type, std::to_string(off / kSectorSize) + "." + ext, off, size});
    }

    // Bytes whose header the rules must not accept (or that quick mode never sees).
    void not_found(uint64_t at, const Bytes& b) {
        put(at, b);
        if (at % kSectorSize == 0) planted_.push_back(at);
    }

private:
    Bytes& image_;
    std::vector<ExpectedFile>& expected_;
    std::vector<uint64_t>& planted_;
};

Bytes with_size_field(Bytes b, size_t at, uint32_t value) {
    put_le32(b, at, value);
    return b;
}

// Headers that look right for a few bytes and are rejected by the rules.
std::vector<Bytes> false_headers(Rng& rng) {
    std::vector<Bytes> out;
    auto text = [](std::string_view s) { return Bytes(s.begin(), s.end()); };
    // JPEG with APP0 and SOS but no quantisation or Huffman table.
    out.push_back({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0,
                   0xFF, 0xDA, 0x00, 0x0C, 3, 1, 0, 2, 0x11, 3, 0x11, 0, 0x3F, 0, 0x01, 0x02});
    out.push_back(text("GIF8xx not a picture"));
    out.push_back(text("BM this is text, not a bitmap"));
    Bytes wmv{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    wmv.resize(80, 0x00);  // header size 0, no objects
    out.push_back(wmv);
    Bytes riff = text("RIFF");
    append(riff, Bytes{0x64, 0, 0, 0});
    append(riff, "XXXXjunk");
    out.push_back(riff);
    out.push_back(text("<html\x01\x02\x03 binary, not a page"));
    Bytes ole{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    ole.resize(512, 0x00);
    put_le16(ole, 30, 12);  // 4096-byte sectors: not what the rules accept
    put_le16(ole, 32, 6);
    put_le32(ole, 44, 1);
    out.push_back(ole);
    Bytes zip{0x50, 0x4B, 0x03, 0x04};
    zip.resize(120, 0x01);
    put_le16(zip, 26, 300);  // name longer than any the rules accept
    out.push_back(zip);
    Bytes rar{0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00, 0x11, 0x22, 0x78, 0, 0, 13, 0};
    out.push_back(rar);
    Bytes mz = text("MZ");
    mz.resize(128, 0x01);
    put_le16(mz, 60, 0);  // no PE header
    out.push_back(mz);
    Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
    append(png, "IHDR");
    append(png, Bytes(13, 0));  // width and height 0
    out.push_back(png);
    Bytes mpg{0x00, 0x00, 0x01, 0xBA};
    append(mpg, rng.payload(20));  // no system header at byte 12
    out.push_back(mpg);
    out.push_back(text("%PDF-1.4\n% a document with nothing in it\n"));
    return out;
}

}  // namespace

bool make_sample_card(uint64_t size, uint64_t seed, Card& card, std::string& error) {
    if (size < 64 * kMiB || size % kChunk != 0) {
        error = "the card size must be a multiple of 4 MiB, at least 64 MiB";
        return false;
    }
    card = Card{};
    card.image.assign(size, 0);
    Rng rng(seed);
    Layout l(card.image, card.expected, card.planted);

    // Chunk 0: one file of every kind at sector offsets, each followed by
    // zeros; the same kinds again off sector offsets (quick mode passes them
    // over); false headers in between.
    uint64_t at = 16 * kSectorSize;
    auto next = [&](uint64_t len) { at = align_up(at + len + 1) + kSectorSize * (1 + rng.below(4)); };
    auto place = [&](const Bytes& b, const std::string& type, const std::string& ext) {
        l.found(at, b, type, ext);
        next(b.size());
    };
    place(make_jpeg(rng, 30000), "jpg", "jpg");
    place(make_gif(rng, 12000), "gif", "gif");
    place(make_bmp(rng, 40000), "bmp", "bmp");
    place(make_wmv(rng, 20000), "wmv", "wmv");
    // A movie starts on a sector like every file; its "moov" lies 4 bytes in.
    place(make_mov(rng, 9000), "mov", "mov");
    place(make_avi(rng, 30000), "rif", "avi");
    place(make_wav(rng, 20000), "rif", "wav");
    place(make_html(rng, 6000), "htm", "htm");
    place(make_ole(rng, 9000, "WordDocument"), "ole", "doc");
    place(make_ole(rng, 7000, "Workbook"), "ole", "xls");
    place(make_ole(rng, 8000, "PowerPoint Document"), "ole", "ppt");
    place(make_ole(rng, 6000, "Contents"), "ole", "ole");
    place(make_zip(rng, 25000), "zip", "zip");
    place(make_zip(rng, 9000, "mimetype"), "zip", "sxw");
    place(make_zip(rng, 7000, "content.xml"), "zip", "sx");
    place(make_zip(rng, 5000, "org/sample/Main.class"), "zip", "jar");
    place(make_rar(rng, 15000), "rar", "rar");
    place(make_exe(rng, 20000, false), "exe", "exe");
    place(make_exe(rng, 12000, true), "exe", "dll");
    place(make_png(rng, 10000), "png", "png");
    place(make_mpeg(rng, 30000), "mpg", "mpg");
    place(make_pdf(rng, 20000, false), "pdf", "pdf");
    place(make_pdf(rng, 15000, true), "pdf", "pdf");
    // What phones write, after the first fourteen.
    place(make_iso(rng, 30000, "isom", "isomiso2avc1mp41"), "mp4", "mp4");
    place(make_iso(rng, 9000, "M4A ", "M4A mp42isom"), "mp4", "m4a");
    place(make_iso(rng, 7000, "3gp4", "3gp4isom"), "mp4", "3gp");
    place(make_iso(rng, 12000, "heic", "mif1heic"), "heic", "heic");
    place(make_webp(rng, 8000), "webp", "webp");
    place(make_mp3(rng, 30, true, true), "mp3", "mp3");
    place(make_mp3(rng, 20, false, false), "mp3", "mp3");
    place(make_ogg(rng, 6, "OpusHead"), "ogg", "opus");
    place(make_ogg(rng, 5, "\x01vorbis"), "ogg", "ogg");
    place(make_amr(rng, 300), "amr", "amr");
    place(make_sqlite(rng, 6), "db", "db");
    place(make_vcard(rng, 12), "vcf", "vcf");
    {
        // A page that opens with a byte-order mark and a DOCTYPE.
        Bytes page{0xEF, 0xBB, 0xBF};
        append(page, "<!DOCTYPE html>\r\n\r\n");
        append(page, make_html(rng, 3000));
        append(page, "\n");
        place(page, "htm", "htm");
    }

    for (const Bytes& b : false_headers(rng)) {
        l.not_found(at, b);
        next(b.size() + kSectorSize);
    }
    // Off sector offsets: not found in quick mode.
    const std::vector<Bytes> unaligned = {make_jpeg(rng, 9000), make_png(rng, 5000), make_pdf(rng, 4000, false),
                                          make_gif(rng, 3000), make_wav(rng, 3000)};
    for (size_t i = 0; i < unaligned.size(); ++i) {
        l.not_found(at + 1 + 37 * i, unaligned[i]);
        next(unaligned[i].size() + 64);
    }

    // Cut short in the middle of the card: size fields larger than the bytes
    // written. A bitmap whose size does not fit its picture, a recording
    // whose chunks end before its size and a PNG without IEND are not
    // files; an executable's sections are believed (what follows them on
    // the disk is readable).
    at = 4 * kMiB + 512 * 1024;
    {
        Bytes bmp = make_bmp(rng, 20000);
        put_le32(bmp, 2, 300000);
        l.not_found(at, bmp);
        next(300000);
        l.not_found(at, with_size_field(make_wav(rng, 10000), 4, 150000 - 8));
        next(150000);
        Bytes png = make_png(rng, 20000);
        png.resize(png.size() - 12);  // no IEND
        l.not_found(at, png);
        next(png.size());
        Bytes exe = make_exe(rng, 8192, false);
        put_le32(exe, 0x80 + 288 + 16, 60000);
        l.put(at, exe);
        const size_t last = 0x80 + 288;  // the second section header
        const uint64_t ptr = exe[last + 20] | (exe[last + 21] << 8) | (exe[last + 22] << 16);
        l.expect("exe", "exe", at, ptr + 60000);
        card.planted.push_back(at);
        next(card.expected.back().size);
    }

    // Across chunk boundaries. Each header lies some way before a 4 MiB
    // boundary and the file runs into the next chunk: every kind is found
    // whole, through the window or by reading its headers further on.
    auto across = [&](uint64_t boundary, uint64_t before, const Bytes& b, const std::string& type,
                      const std::string& ext) {
        const uint64_t hit = boundary - before;
        l.put(hit, b);
        card.planted.push_back(hit);
        l.expect(type, ext, hit, b.size());
    };
    across(4 * kMiB, 64 * 1024, make_jpeg(rng, 200000), "jpg", "jpg");
    across(12 * kMiB, 30 * 1024, make_gif(rng, 100000), "gif", "gif");
    across(16 * kMiB, 100 * 1024, make_pdf(rng, 300000, false), "pdf", "pdf");
    across(20 * kMiB, 100 * 1024, make_wav(rng, 300000), "rif", "wav");
    across(24 * kMiB, 50 * 1024, make_zip(rng, 200000), "zip", "zip");
    across(28 * kMiB, 30 * 1024, make_exe(rng, 100000, false), "exe", "exe");
    across(32 * kMiB, 20 * 1024, make_png(rng, 100000), "png", "png");
    across(36 * kMiB, 100 * 1024, make_bmp(rng, 500000), "bmp", "bmp");
    across(40 * kMiB, 10 * 1024, make_html(rng, 100000), "htm", "htm");
    across(44 * kMiB, 50 * 1024, make_wmv(rng, 200000), "wmv", "wmv");
    across(48 * kMiB, 3 * 1024, make_mov(rng, 200000), "mov", "mov");
    across(8 * kMiB, 2 * kMiB, make_avi(rng, 4 * kMiB + 300000), "rif", "avi");  // longer than a chunk
    across(52 * kMiB, 2 * 1024, make_iso(rng, 3 * kMiB, "isom", "isommp41"), "mp4", "mp4");
    across(60 * kMiB, 1024, make_mp3(rng, 200, true, false), "mp3", "mp3");
    across(size - 8 * kMiB, 50 * 1024, make_ole(rng, 200000, "WordDocument"), "ole", "doc");

    // Noise: random bytes, with any header at a sector offset broken.
    const uint64_t noise_at = size - 6 * kMiB;
    for (uint64_t i = 0; i < 512 * 1024; i += 8) {
        const uint64_t x = rng.next();
        for (int k = 0; k < 8; ++k) card.image[noise_at + i + k] = static_cast<uint8_t>(x >> (8 * k));
    }

    // The last chunk: complete files within max length of the image's end
    // (found without a window), and a JPEG cut short by the end (its window
    // cannot be read, so it is not found).
    at = size - 3 * kMiB;
    place(make_jpeg(rng, 40000), "jpg", "jpg");
    place(make_zip(rng, 30000), "zip", "zip");
    place(make_rar(rng, 20000), "rar", "rar");
    place(make_pdf(rng, 10000, false), "pdf", "pdf");
    place(make_mpeg(rng, 20000), "mpg", "mpg");
    {
        Bytes cut = make_jpeg(rng, 30000);
        cut.resize(10000);
        const uint64_t hit = size - 10000 / kSectorSize * kSectorSize - kSectorSize;
        l.not_found(hit, Bytes(cut.begin(), cut.begin() + std::min<size_t>(cut.size(), size - hit)));
    }

    // Break any header that the noise put at a sector offset.
    for (uint64_t off : aligned_header_hits(card.image))
        if (off >= noise_at && off < noise_at + 512 * 1024) card.image[off] ^= 0x80;

    std::sort(card.expected.begin(), card.expected.end(),
              [](const ExpectedFile& a, const ExpectedFile& b) { return a.offset < b.offset; });
    std::sort(card.planted.begin(), card.planted.end());
    return true;
}

std::vector<uint64_t> aligned_header_hits(const Bytes& image, uint64_t from, uint64_t to) {
    std::vector<uint64_t> hits;
    const auto& table = cdr::builtin_formats();
    to = std::min<uint64_t>(to, image.size());
    for (uint64_t off = align_up(from); off < to; off += kSectorSize)
        for (const auto& row : table) {
            // As quick mode looks: at the header's place in the file, or
            // past a lead-in the row knows.
            bool hit;
            if (row.starts) {
                hit = row.starts(image.data() + off, image.size() - off).has_value();
            } else {
                const uint64_t at = off + row.header_offset;
                hit = at + row.header.size() <= image.size() &&
                      cdr::pattern_compare(row.header.data(), image.data() + at, row.header.size(),
                                           row.case_sensitive) == 0;
            }
            if (hit) {
                hits.push_back(off);
                break;
            }
        }
    return hits;
}

namespace {

struct DenseKind {
    const char* type;
    const char* ext;
    uint64_t min_size, max_size;
};

// Photos dominate, as on a phone's card.
const DenseKind kDense[] = {
    {"jpg", "jpg", 200000, 3000000}, {"jpg", "jpg", 200000, 3000000}, {"jpg", "jpg", 200000, 3000000},
    {"jpg", "jpg", 200000, 3000000}, {"png", "png", 5000, 300000},     {"gif", "gif", 3000, 200000},
    {"bmp", "bmp", 3000, 500000},    {"zip", "zip", 5000, 500000},     {"pdf", "pdf", 5000, 500000},
    {"exe", "exe", 5000, 500000},    {"rif", "wav", 5000, 500000},     {"htm", "htm", 3000, 100000},
    {"mpg", "mpg", 3000, 60000},     {"ole", "doc", 5000, 300000},     {"rar", "rar", 3000, 300000},
    {"wmv", "wmv", 3000, 300000},
};

Bytes make_kind(Rng& rng, const DenseKind& k, size_t size) {
    const std::string t = k.type;
    if (t == "jpg") return make_jpeg(rng, size);
    if (t == "png") return make_png(rng, size);
    if (t == "gif") return make_gif(rng, size);
    if (t == "bmp") return make_bmp(rng, size);
    if (t == "zip") return make_zip(rng, size);
    if (t == "pdf") return make_pdf(rng, size, false);
    if (t == "exe") return make_exe(rng, size, false);
    if (t == "rif") return make_wav(rng, size);
    if (t == "htm") return make_html(rng, size);
    if (t == "mpg") return make_mpeg(rng, size);
    if (t == "ole") return make_ole(rng, size, "WordDocument");
    if (t == "rar") return make_rar(rng, size);
    return make_wmv(rng, size);
}

}  // namespace

bool write_dense_card(const std::string& path, uint64_t size, uint64_t seed, std::vector<ExpectedFile>& expected,
                      std::string& error) {
    if (size < kChunk || size % kChunk != 0) {
        error = "the card size must be a multiple of 4 MiB";
        return false;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f) {
        error = "cannot create " + path;
        return false;
    }
    expected.clear();
    Rng rng(seed);
    uint64_t at = 0;
    const Bytes zeros(kChunk, 0);
    auto pad_to = [&](uint64_t to) {
        while (at < to) {
            const uint64_t n = std::min<uint64_t>(to - at, zeros.size());
            if (std::fwrite(zeros.data(), 1, n, f.get()) != n) return false;
            at += n;
        }
        return true;
    };
    for (;;) {
        const DenseKind& k = kDense[rng.below(std::size(kDense))];
        const size_t len = static_cast<size_t>(k.min_size + rng.below(k.max_size - k.min_size));
        Bytes b = make_kind(rng, k, len);
        // A file ends, then at least one zero byte, then the next sector.
        const uint64_t end = align_up(at + b.size() + 1);
        if (end > size) break;
        expected.push_back({k.type, std::to_string(at / kSectorSize) + "." + k.ext, at, b.size()});
        if (std::fwrite(b.data(), 1, b.size(), f.get()) != b.size()) break;
        at += b.size();
        if (!pad_to(end)) break;
    }
    if (!pad_to(size) || std::fflush(f.get()) != 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool write_extractor_seeds(const std::string& dir, std::string& error) {
    // The fuzz target picks the -t name by index from its own list (byte 0)
    // and the bytes before the hit from byte 1.
    static const char* const kNames[] = {"jpg", "gif", "bmp", "exe", "mpg", "wmv", "avi", "rif", "wav",
                                         "htm", "ole", "doc", "xls", "ppt", "zip", "rar", "sxw", "sxc",
                                         "sxi", "pdf", "vjpeg", "mov", "cpp", "png", "mp4", "heic", "webp",
                                         "mp3", "ogg", "amr", "awb", "db", "vcf", "apk", "docx", "m4a"};
    auto put = [&](const std::string& name, const std::string& file, int before, const Bytes& b) {
        uint8_t index = 0;
        for (uint8_t i = 0; i < std::size(kNames); ++i)
            if (name == kNames[i]) index = i;
        Bytes out{index, static_cast<uint8_t>(before)};
        append(out, b);
        out.resize(out.size() + 64, 0);
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen((dir + "/" + file + ".bin").c_str(), "wb"),
                                                          std::fclose);
        return f && std::fwrite(out.data(), 1, out.size(), f.get()) == out.size() && std::fflush(f.get()) == 0;
    };
    Rng r(2026);
    Bytes cpp{'/', '/', ' ', 'x', '\n'};
    append(cpp, make_cpp(r, 200));
    const bool ok = put("jpg", "jpeg", 0, make_jpeg(r, 700)) && put("gif", "gif", 0, make_gif(r, 400)) &&
                    put("bmp", "bmp", 0, make_bmp(r, 300)) && put("png", "png", 0, make_png(r, 300)) &&
                    put("mpg", "mpeg", 0, make_mpeg(r, 2100)) && put("pdf", "pdf", 0, make_pdf(r, 800, false)) &&
                    put("pdf", "pdf-linearized", 0, make_pdf(r, 800, true)) && put("zip", "zip", 0, make_zip(r, 400)) &&
                    put("sxw", "sxw", 0, make_zip(r, 400, "mimetype")) &&
                    put("ole", "ole-doc", 0, make_ole(r, 3600, "WordDocument")) &&
                    put("xls", "ole-xls", 0, make_ole(r, 3600, "Workbook")) && put("rif", "avi", 0, make_avi(r, 300)) &&
                    put("wav", "wav", 0, make_wav(r, 200)) && put("wmv", "wmv", 0, make_wmv(r, 600)) &&
                    put("htm", "html", 0, make_html(r, 300)) && put("mov", "mov", 0, make_mov(r, 300)) &&
                    put("rar", "rar", 0, make_rar(r, 300)) && put("exe", "exe", 0, make_exe(r, 1100, false)) &&
                    put("exe", "dll", 0, make_exe(r, 1100, true)) && put("cpp", "cpp", 5, cpp) &&
                    put("mp4", "mp4", 0, make_iso(r, 600, "isom", "isommp41")) &&
                    put("heic", "heic", 0, make_iso(r, 400, "heic", "mif1heic")) &&
                    put("webp", "webp", 0, make_webp(r, 300)) && put("mp3", "mp3", 0, make_mp3(r, 3, true, true)) &&
                    put("mp3", "mp3-bare", 0, make_mp3(r, 7, false, false)) &&
                    put("ogg", "opus", 0, make_ogg(r, 3, "OpusHead")) && put("amr", "amr", 0, make_amr(r, 8)) &&
                    put("db", "sqlite", 0, make_sqlite(r, 2)) && put("vcf", "vcard", 0, make_vcard(r, 3)) &&
                    put("apk", "apk", 0, zip_of({{"AndroidManifest.xml", r.payload(100)}, {"classes.dex", r.payload(300)}}));
    if (!ok) error = "cannot write the seeds into " + dir;
    return ok;
}

std::string expected_json(const std::string& source, const std::vector<ExpectedFile>& files) {
    rapidjson::StringBuffer sb;
    rapidjson::Writer<rapidjson::StringBuffer> w(sb);
    w.StartObject();
    w.Key("source");
    w.String(source.c_str());
    w.Key("files");
    w.StartArray();
    for (const ExpectedFile& e : files) {
        w.StartObject();
        w.Key("type");
        w.String(e.type.c_str());
        w.Key("name");
        w.String(e.name.c_str());
        w.Key("offset");
        w.Uint64(e.offset);
        w.Key("size");
        w.Uint64(e.size);
        w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    return std::string(sb.GetString(), sb.GetSize()) + "\n";
}

}  // namespace quen::sample
