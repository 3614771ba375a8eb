#include "gif_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>

namespace quen::skin {
namespace {

void put16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

// Bits packed least significant first, cut into sub-blocks of 255 bytes.
class BitPacker {
public:
    void put(uint32_t code, int bits) {
        acc_ |= static_cast<uint64_t>(code) << nbits_;
        nbits_ += bits;
        while (nbits_ >= 8) {
            bytes_.push_back(static_cast<char>(acc_ & 0xFF));
            acc_ >>= 8;
            nbits_ -= 8;
        }
    }
    QByteArray finish() {
        if (nbits_ > 0) bytes_.push_back(static_cast<char>(acc_ & 0xFF));
        QByteArray out;
        for (size_t i = 0; i < bytes_.size(); i += 255) {
            const size_t n = std::min<size_t>(255, bytes_.size() - i);
            out.append(static_cast<char>(n));
            out.append(bytes_.data() + i, static_cast<qsizetype>(n));
        }
        out.append('\0');
        return out;
    }

private:
    std::vector<char> bytes_;
    uint64_t acc_ = 0;
    int nbits_ = 0;
};

struct Box {
    std::vector<QRgb> colours;
};

int channel(QRgb c, int which) { return which == 0 ? qRed(c) : which == 1 ? qGreen(c) : qBlue(c); }

// Median cut: split the box with the widest channel range at its median,
// until there are `wanted` boxes; each box's mean becomes a palette entry.
std::vector<QRgb> median_cut(std::vector<QRgb> colours, size_t wanted) {
    std::vector<Box> boxes{Box{std::move(colours)}};
    while (boxes.size() < wanted) {
        size_t best = boxes.size();
        int best_range = 0, best_channel = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colours.size() < 2) continue;
            for (int ch = 0; ch < 3; ++ch) {
                int lo = 255, hi = 0;
                for (QRgb c : boxes[i].colours) {
                    lo = std::min(lo, channel(c, ch));
                    hi = std::max(hi, channel(c, ch));
                }
                if (hi - lo > best_range) {
                    best_range = hi - lo;
                    best = i;
                    best_channel = ch;
                }
            }
        }
        if (best == boxes.size()) break;
        auto& v = boxes[best].colours;
        std::sort(v.begin(), v.end(), [&](QRgb a, QRgb b) {
            return channel(a, best_channel) != channel(b, best_channel) ? channel(a, best_channel) < channel(b, best_channel) : a < b;
        });
        Box upper{std::vector<QRgb>(v.begin() + static_cast<long>(v.size() / 2), v.end())};
        v.resize(v.size() / 2);
        boxes.push_back(std::move(upper));
    }
    std::vector<QRgb> palette;
    for (const Box& b : boxes) {
        long r = 0, g = 0, bl = 0;
        for (QRgb c : b.colours) {
            r += qRed(c);
            g += qGreen(c);
            bl += qBlue(c);
        }
        const long n = static_cast<long>(b.colours.size());
        palette.push_back(qRgb(static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n), static_cast<int>((bl + n / 2) / n)));
    }
    return palette;
}

class Quantiser {
public:
    explicit Quantiser(const std::vector<GifFrame>& frames) {
        std::unordered_map<QRgb, long> count;
        for (const GifFrame& f : frames) {
            const QImage img = f.image.convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < img.height(); ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
                for (int x = 0; x < img.width(); ++x) ++count[line[x] | 0xFF000000u];
            }
        }
        std::vector<std::pair<long, QRgb>> by_count;
        by_count.reserve(count.size());
        for (const auto& [c, n] : count) by_count.emplace_back(n, c);
        // Most frequent first; equal counts by colour, so the palette is the
        // same on every run.
        std::sort(by_count.begin(), by_count.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first > b.first : a.second < b.second;
        });
        if (by_count.size() <= 256) {
            for (const auto& e : by_count) palette_.push_back(e.second);
            return;
        }
        // The surfaces (the most frequent colours) stay exact, so the picture
        // meets the page around it without a seam; the edges' blends share
        // what is left.
        constexpr size_t kExact = 96;
        for (size_t i = 0; i < kExact; ++i) palette_.push_back(by_count[i].second);
        std::vector<QRgb> rest;
        for (size_t i = kExact; i < by_count.size(); ++i) rest.push_back(by_count[i].second);
        std::sort(rest.begin(), rest.end());
        for (QRgb c : median_cut(rest, 256 - kExact)) palette_.push_back(c);
    }

    const std::vector<QRgb>& palette() const { return palette_; }

    uint8_t index(QRgb c) {
        c |= 0xFF000000u;
        auto it = cache_.find(c);
        if (it != cache_.end()) return it->second;
        int best = 0;
        long best_d = -1;
        for (size_t i = 0; i < palette_.size(); ++i) {
            const long dr = qRed(c) - qRed(palette_[i]);
            const long dg = qGreen(c) - qGreen(palette_[i]);
            const long db = qBlue(c) - qBlue(palette_[i]);
            const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (best_d < 0 || d < best_d) {
                best_d = d;
                best = static_cast<int>(i);
            }
        }
        cache_.emplace(c, static_cast<uint8_t>(best));
        return static_cast<uint8_t>(best);
    }

private:
    std::vector<QRgb> palette_;
    std::unordered_map<QRgb, uint8_t> cache_;
};

}  // namespace

QByteArray gif_lzw(const std::vector<uint8_t>& indices, int min_code_size) {
    const uint32_t clear = 1u << min_code_size;
    const uint32_t end = clear + 1;
    BitPacker out;
    // Dictionary: (prefix code << 8 | byte) -> code.
    std::unordered_map<uint32_t, uint32_t> dict;
    uint32_t next = end + 1;
    int width = min_code_size + 1;
    out.put(clear, width);
    if (indices.empty()) {
        out.put(end, width);
        return out.finish();
    }
    uint32_t prefix = indices[0];
    for (size_t i = 1; i < indices.size(); ++i) {
        const uint8_t k = indices[i];
        const uint32_t key = (prefix << 8) | k;
        auto it = dict.find(key);
        if (it != dict.end()) {
            prefix = it->second;
            continue;
        }
        out.put(prefix, width);
        if (next < 4095) {
            dict.emplace(key, next);
            // The decoder widens its codes once the next code needs the bit.
            if (next == (1u << width) && width < 12) ++width;
            ++next;
        } else {
            out.put(clear, width);
            dict.clear();
            next = end + 1;
            width = min_code_size + 1;
        }
        prefix = k;
    }
    out.put(prefix, width);
    out.put(end, width);
    return out.finish();
}

QByteArray encode_gif(const std::vector<GifFrame>& frames) {
    QByteArray out;
    if (frames.empty()) return out;
    const int w = frames[0].image.width();
    const int h = frames[0].image.height();
    Quantiser q(frames);
    std::vector<QRgb> palette = q.palette();
    int bits = 1;
    while ((1u << bits) < palette.size()) ++bits;
    palette.resize(size_t{1} << bits, qRgb(0, 0, 0));
    const int min_code_size = std::max(2, bits);

    out.append("GIF89a");
    put16(out, w);
    put16(out, h);
    out.append(static_cast<char>(0x80 | ((bits - 1) << 4) | (bits - 1)));  // global table
    out.append('\0');  // background index
    out.append('\0');  // aspect
    for (QRgb c : palette) {
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }
    // NETSCAPE2.0: loop forever.
    out.append("\x21\xFF\x0B" "NETSCAPE2.0" "\x03\x01\x00\x00\x00", 19);

    std::vector<uint8_t> previous;
    for (const GifFrame& f : frames) {
        const QImage img = f.image.convertToFormat(QImage::Format_RGB32);
        std::vector<uint8_t> idx(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) idx[static_cast<size_t>(y) * w + x] = q.index(line[x]);
        }
        // The rectangle that changed since the previous frame (all of the first).
        int x0 = 0, y0 = 0, x1 = w - 1, y1 = h - 1;
        if (!previous.empty()) {
            x0 = w, y0 = h, x1 = -1, y1 = -1;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (idx[static_cast<size_t>(y) * w + x] != previous[static_cast<size_t>(y) * w + x]) {
                        x0 = std::min(x0, x);
                        y0 = std::min(y0, y);
                        x1 = std::max(x1, x);
                        y1 = std::max(y1, y);
                    }
            if (x1 < 0) x0 = y0 = x1 = y1 = 0;  // unchanged: one pixel keeps the frame's delay
        }
        // Graphic control: keep the previous frame under this one.
        out.append("\x21\xF9\x04", 3);
        out.append(static_cast<char>(1 << 2));
        put16(out, f.delay_cs);
        out.append('\0');
        out.append('\0');
        // Image descriptor and data.
        out.append(',');
        put16(out, x0);
        put16(out, y0);
        put16(out, x1 - x0 + 1);
        put16(out, y1 - y0 + 1);
        out.append('\0');
        std::vector<uint8_t> sub;
        sub.reserve(static_cast<size_t>(x1 - x0 + 1) * (y1 - y0 + 1));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) sub.push_back(idx[static_cast<size_t>(y) * w + x]);
        out.append(static_cast<char>(min_code_size));
        out.append(gif_lzw(sub, min_code_size));
        previous = std::move(idx);
    }
    out.append(';');
    return out;
}

}  // namespace quen::skin
