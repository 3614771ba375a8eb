// MP3 (MPEG audio layer III, and layers I and II): an optional ID3v2 tag
// ("ID3", version, flags, a 28-bit size in four 7-bit bytes at 6, a footer of
// 10 bytes more when flag 0x10 is set), then frames, each a 4-byte header
// (11 sync bits, version, layer, bit rate, sample rate, padding) and the
// audio, then an optional ID3v1 tag ("TAG", 128 bytes). Files without a tag
// begin with a frame, so quick mode accepts either at a block start. The
// frames are walked to the last valid one; the stream's version, layer and
// sample rate never change within a file.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr int kFramesWithTag = 2;     // a tag vouches for the file: fewer frames suffice
constexpr int kFramesWithoutTag = 6;  // a bare frame header is four bytes of chance

struct Frame {
    uint32_t length = 0;
    uint32_t stream = 0;  // version, layer and sample rate bits
};

// The frame whose header is at p, or nothing.
std::optional<Frame> frame_at(const uint8_t* p) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return std::nullopt;
    const int version = (p[1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
    const int layer = (p[1] >> 1) & 3;    // 1: III, 2: II, 3: I
    const int rate_index = p[2] >> 4;
    const int sample_index = (p[2] >> 2) & 3;
    const int padding = (p[2] >> 1) & 1;
    if (version == 1 || layer == 0 || rate_index == 0 || rate_index == 15 || sample_index == 3) return std::nullopt;
    if ((p[3] & 3) == 2) return std::nullopt;  // reserved emphasis
    static const int kRates[2][3][16] = {
        // MPEG-1: layers I, II, III
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
        // MPEG-2 and 2.5: layers I, II, III
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
    static const int kSamples[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    const bool mpeg1 = version == 3;
    const int bitrate = kRates[mpeg1 ? 0 : 1][3 - layer][rate_index] * 1000;
    const int sample_rate = kSamples[version][sample_index];
    uint32_t length;
    if (layer == 3)
        length = static_cast<uint32_t>((12 * bitrate / sample_rate + padding) * 4);
    else if (layer == 1 && !mpeg1)
        length = static_cast<uint32_t>(72 * bitrate / sample_rate + padding);
    else
        length = static_cast<uint32_t>(144 * bitrate / sample_rate + padding);
    if (length < 4) return std::nullopt;
    return Frame{length, (uint32_t{p[1]} << 8 | p[2]) & 0x1E0C};
}

// A version 2-4 ID3v2 tag's length, or nothing.
std::optional<uint64_t> tag_length(const uint8_t* p, size_t n) {
    if (n < 10 || p[0] != 'I' || p[1] != 'D' || p[2] != '3') return std::nullopt;
    if (p[3] < 2 || p[3] > 4 || p[4] == 0xFF || (p[5] & 0x0F) != 0) return std::nullopt;
    if ((p[6] | p[7] | p[8] | p[9]) & 0x80) return std::nullopt;
    const uint64_t size = (uint64_t{p[6]} << 21) | (uint64_t{p[7]} << 14) | (uint64_t{p[8]} << 7) | p[9];
    return 10 + size + ((p[5] & 0x10) ? 10 : 0);
}

std::optional<uint32_t> mp3_starts(const uint8_t* p, size_t n) {
    if (tag_length(p, n)) return 0;
    if (n >= 4 && frame_at(p)) return 0;
    return std::nullopt;
}

ExtractResult extract_mp3(const ExtractInput& in) {
    const ByteView v(in);
    const uint64_t r = v.size();
    uint64_t p = 0;
    const std::optional<uint64_t> tag = tag_length(v.data(), static_cast<size_t>(std::min<uint64_t>(r, 10)));
    if (tag) p = *tag;
    else if (r < 4 || !frame_at(v.data())) return r < 10 ? needs_more(in) : skip(in);

    int frames = 0;
    uint32_t stream = 0;
    for (;;) {
        if (!v.has(p, 4)) {
            if (!no_more_bytes(in)) return std::nullopt;  // the next frame may follow
            break;
        }
        const std::optional<Frame> f = frame_at(v.data() + p);
        if (!f || (frames > 0 && f->stream != stream)) break;
        if (p + f->length > r) {
            if (!no_more_bytes(in)) return std::nullopt;
            break;
        }
        stream = f->stream;
        p += f->length;
        ++frames;
    }
    if (frames < (tag ? kFramesWithTag : kFramesWithoutTag)) return skip(in);
    if (v.equals(p, "TAG") && v.has(p, 128)) p += 128;  // ID3v1
    record_at(in, 0, p);
    return p;
}

}  // namespace

FormatDefinition mp3_format() {
    FormatRow row{"mp3", FormatType::Mp3, bytes_of("ID3"), {}, 100 * kMiB, {}, true, extract_mp3};
    row.starts = mp3_starts;
    row.start_bytes = std::string_view("I\xFF");
    return {row, {{"mp3", row}}};
}

}  // namespace quen::cdr::fmt
