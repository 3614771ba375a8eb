#include "sample_phone_files.h"

#include <array>

namespace quen::sample {

namespace {

void append_be32(Bytes& b, uint32_t v) {
    b.resize(b.size() + 4);
    put_be32(b, b.size() - 4, v);
}

Bytes box(const char* type, const Bytes& payload) {
    Bytes b;
    append_be32(b, static_cast<uint32_t>(8 + payload.size()));
    append(b, std::string_view(type, 4));
    append(b, payload);
    return b;
}

uint32_t ogg_crc(const Bytes& page) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i << 24;
            for (int k = 0; k < 8; ++k) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0;
    for (uint8_t byte : page) crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xFF];
    return crc;
}

}  // namespace

Bytes make_iso(Rng& rng, size_t size, const std::string& brand, const std::string& compatible) {
    Bytes ftyp_payload;
    append(ftyp_payload, brand.substr(0, 4));
    append(ftyp_payload, Bytes{0, 0, 2, 0});
    append(ftyp_payload, compatible);
    Bytes b = box("ftyp", ftyp_payload);
    const bool picture = brand == "heic" || brand == "mif1" || brand == "avif";
    append(b, box(picture ? "meta" : "moov", rng.payload(120)));
    const size_t rest = size > b.size() + 8 ? size - b.size() - 8 : 16;
    append(b, box("mdat", rng.payload(rest)));
    return b;
}

Bytes make_webp(Rng& rng, size_t size) {
    const size_t data = (std::max<size_t>(size, 64) - 20) / 2 * 2;
    Bytes b;
    append(b, "RIFF");
    b.resize(8);
    put_le32(b, 4, static_cast<uint32_t>(4 + 8 + data));
    append(b, "WEBPVP8 ");
    b.resize(b.size() + 4);
    put_le32(b, b.size() - 4, static_cast<uint32_t>(data));
    append(b, rng.payload(data));
    return b;
}

Bytes make_mp3(Rng& rng, int frames, bool tagged, bool trailer) {
    Bytes b;
    if (tagged) {
        // ID3v2.3 with one title frame; the size counts what follows the header.
        Bytes frame;
        append(frame, "TIT2");
        append_be32(frame, 9);
        append(frame, Bytes{0, 0, 0});
        append(frame, "Morning!");
        append(b, "ID3");
        append(b, Bytes{3, 0, 0, 0, 0, 0, static_cast<uint8_t>(frame.size())});
        append(b, frame);
    }
    for (int f = 0; f < frames; ++f) {
        append(b, Bytes{0xFF, 0xFB, 0x90, 0x64});
        append(b, rng.payload(417 - 4));
    }
    if (trailer) {
        append(b, "TAG");
        append(b, rng.payload(125));
    }
    return b;
}

Bytes make_ogg(Rng& rng, int pages, const std::string& first_packet) {
    Bytes out;
    const uint32_t serial = static_cast<uint32_t>(rng.next());
    for (int n = 0; n < pages; ++n) {
        Bytes packet = n == 0 ? Bytes(first_packet.begin(), first_packet.end()) : rng.payload(600 + 37 * n);
        if (n == 0) append(packet, rng.payload(11));
        Bytes page;
        append(page, "OggS");
        page.push_back(0);
        page.push_back(static_cast<uint8_t>((n == 0 ? 0x02 : 0) | (n == pages - 1 ? 0x04 : 0)));
        page.resize(page.size() + 8, 0);  // granule position
        page.resize(page.size() + 12);
        put_le32(page, 14, serial);
        put_le32(page, 18, static_cast<uint32_t>(n));
        put_le32(page, 22, 0);
        std::vector<uint8_t> lacing;
        size_t left = packet.size();
        while (left >= 255) {
            lacing.push_back(255);
            left -= 255;
        }
        lacing.push_back(static_cast<uint8_t>(left));
        page.push_back(static_cast<uint8_t>(lacing.size()));
        append(page, lacing);
        append(page, packet);
        put_le32(page, 22, ogg_crc(page));
        append(out, page);
    }
    return out;
}

Bytes make_amr(Rng& rng, int frames) {
    Bytes b;
    append(b, "#!AMR\n");
    for (int f = 0; f < frames; ++f) {
        b.push_back(0x3C);  // type 7, quality good
        append(b, rng.payload(31));
    }
    return b;
}

Bytes make_sqlite(Rng& rng, int pages) {
    Bytes b = rng.payload(4096 * static_cast<size_t>(pages));
    const std::string magic("SQLite format 3\0", 16);
    std::copy(magic.begin(), magic.end(), b.begin());
    put_be16(b, 16, 4096);
    b[18] = b[19] = 1;
    b[20] = 0;
    b[21] = 64;
    b[22] = b[23] = 32;
    put_be32(b, 24, 7);                              // change counter
    put_be32(b, 28, static_cast<uint32_t>(pages));  // pages
    for (size_t at = 32; at < 92; ++at) b[at] = 0;
    put_be32(b, 92, 7);                              // valid for change 7
    put_be32(b, 96, 3045001);
    b[100] = 0x0D;                                   // the schema: a leaf table page
    return b;
}

Bytes make_vcard(Rng& rng, int cards) {
    Bytes b;
    for (int c = 0; c < cards; ++c) {
        append(b, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Example " + std::to_string(rng.below(1000)) +
                      "\r\nTEL;TYPE=CELL:+447700" + std::to_string(100000 + rng.below(899999)) +
                      "\r\nEND:VCARD\r\n");
    }
    return b;
}

}  // namespace quen::sample
