// OLE compound file (Word, Excel, PowerPoint and other Office 97-2003 files).
// A 512-byte header, then 512-byte sectors; sector n lies at 512 * (n + 1).
// Header fields used (little-endian):
//   30 u16 sector shift (9)        32 u16 mini sector shift (6)
//   44 u32 FAT sector count         48 u32 first directory sector
//   56 u32 mini-stream cutoff       60 u32 first mini-FAT sector
//   64 u32 mini-FAT sector count    68 u32 first DIFAT sector
//   72 u32 DIFAT sector count       76 109 x u32 first FAT sector numbers
// The FAT holds one u32 "next sector" per sector (-2 ends a chain). Directory
// entries are 128 bytes: UTF-16 name (64 bytes), name length u16 at 64, type
// at 66 (0 unused, 1 storage, 2 stream, 5 root), start sector u32 at 116 and
// stream size u32 at 120.
#include <cctype>
#include <new>
#include <string>
#include <vector>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint64_t kSector = 512;  // the compound file's own sector (sector shift 9)
constexpr int32_t kEndOfChain = -2;
constexpr int kMaxDirectorySteps = 300;
constexpr size_t kMaxEntries = 500;
constexpr int64_t kLastSector = 0x7FFFFF;  // far past any file the table accepts

struct Entry {
    uint8_t type;
    uint32_t start;
    uint32_t size;
    std::string name;
};

// Why a walk stopped: the caller maps each to a continue position.
enum class Stop { Ok, BadSector, Abandon };

class OleWalk {
public:
    OleWalk(const ByteView& v) : v_(v) {}

    // Byte offset of sector n, or nothing when n is below -1 or the sector
    // does not lie wholly inside the bytes given.
    std::optional<uint64_t> sector(int64_t n) const {
        if (n > kLastSector) return std::nullopt;
        if (n < -1) return std::nullopt;
        const uint64_t off = kSector * static_cast<uint64_t>(n + 1);
        if (!v_.has(off, kSector)) {
            beyond_ = true;  // more bytes might hold it
            return std::nullopt;
        }
        return off;
    }

    std::optional<uint64_t> read_sector(int64_t n) {
        const auto off = sector(n);
        if (off) {
            highest_ = std::max(highest_, n);
            any_read_ = true;
        }
        return off;
    }

    // The FAT: the contents of the FAT sectors listed in the header and in the
    // DIFAT chain, one after another.
    Stop build_fat(uint32_t fat_count, uint32_t difat_count, int64_t& last_good) {
        std::vector<int32_t> list;
        for (uint64_t i = 0; i < 109; ++i) list.push_back(static_cast<int32_t>(*v_.le32(76 + 4 * i)));
        int64_t difat = static_cast<int32_t>(*v_.le32(68));
        for (uint32_t d = 0; d < difat_count; ++d) {
            const auto off = read_sector(difat);
            if (!off) return Stop::BadSector;
            last_good = difat;
            for (uint64_t i = 0; i < 127; ++i) list.push_back(static_cast<int32_t>(*v_.le32(*off + 4 * i)));
            difat = static_cast<int32_t>(*v_.le32(*off + 508));
        }
        fat_.assign(static_cast<size_t>(fat_count) * 128, -1);
        for (uint32_t f = 0; f < fat_count && f < list.size(); ++f) {
            const auto off = read_sector(list[f]);
            if (!off) return Stop::BadSector;
            last_good = list[f];
            for (uint64_t i = 0; i < 128; ++i)
                fat_[f * 128 + i] = static_cast<int32_t>(*v_.le32(*off + 4 * i));
        }
        return Stop::Ok;
    }

    std::optional<int64_t> next(int64_t n) const {
        if (n < 0 || static_cast<uint64_t>(n) >= fat_.size()) return std::nullopt;
        return fat_[static_cast<size_t>(n)];
    }

    bool has_unused_entry(uint64_t off) const {
        for (uint64_t e = 0; e < 4; ++e)
            if (v_.data()[off + e * 128 + 66] == 0) return true;
        return false;
    }

    // Follows the directory chain from `first` and gives the number of its
    // sectors to parse. The chain is taken to end at end of chain, at a
    // sector that links to itself, or before a sector that holds an unused
    // entry (a directory fills its sectors in order).
    std::optional<int> directory_length(int64_t first) {
        if (!read_sector(first)) return std::nullopt;
        int64_t cur = first;
        int steps = 0;
        for (;;) {
            const auto nx = next(cur);
            if (!nx) return std::nullopt;
            if (*nx == kEndOfChain || *nx == cur) break;
            const auto off = read_sector(*nx);
            if (!off) return std::nullopt;
            if (has_unused_entry(*off)) break;
            cur = *nx;
            if (++steps > kMaxDirectorySteps) return std::nullopt;
        }
        return steps + 1;
    }

    // Reads the entries of `count` chain sectors from `first`; false abandons
    // the file.
    bool read_entries(int64_t first, int count, std::vector<Entry>& out) const {
        int64_t cur = first;
        for (int s = 0; s < count; ++s) {
            if (s > 0) {
                const auto nx = next(cur);
                if (!nx) return false;
                cur = *nx;
            }
            const auto off = sector(cur);
            if (!off) return false;
            for (uint64_t e = 0; e < 4; ++e) {
                const uint64_t at = *off + e * 128;
                const uint8_t type = v_.data()[at + 66];
                if (type == 0) break;
                if (static_cast<int8_t>(type) < 0) return false;
                const uint16_t name_len = *v_.le16(at + 64);
                if (name_len < 1 || name_len > 64) return false;
                std::string name;
                int punct = 0;
                for (uint64_t i = 0; i < name_len; ++i) {
                    const uint8_t c = v_.data()[at + i];
                    if (!is_print(c)) continue;
                    name.push_back(static_cast<char>(c));
                    if (std::ispunct(c)) ++punct;
                }
                if (punct > 3 || name.find("Catalog") != std::string::npos) return false;
                if (!name.empty() && name[0] == '@') return false;
                if (out.size() >= kMaxEntries) return false;
                out.push_back(Entry{type, *v_.le32(at + 116), *v_.le32(at + 120), std::move(name)});
            }
        }
        return true;
    }

    bool any_read() const { return any_read_; }
    // A sector lay past the bytes given.
    bool beyond() const { return beyond_; }
    // The file's size as its FAT states it: the header and every sector up
    // to the last one in use (0 when the FAT names none).
    uint64_t fat_size() const {
        for (size_t i = fat_.size(); i-- > 0;)
            if (fat_[i] != -1) return kSector * (i + 2);
        return 0;
    }
    int64_t highest() const { return highest_; }

private:
    const ByteView& v_;
    std::vector<int32_t> fat_;
    int64_t highest_ = -1;
    bool any_read_ = false;
    mutable bool beyond_ = false;
};

const char* extension_of(const std::string& name) {
    struct Prefix {
        const char* prefix;
        const char* ext;
    };
    static const Prefix kNames[] = {
        {"WordDocument", "doc"}, {"Worksheet", "xls"}, {"Book", "xls"}, {"Workbook", "xls"},
        {"Power", "ppt"},        {"Access", "mbd"},    {"Visio", "vis"}, {"Sfx", "sdw"},
    };
    for (const Prefix& p : kNames)
        if (name.rfind(p.prefix, 0) == 0) return p.ext;
    return nullptr;
}

uint64_t round_up(uint64_t n, uint64_t to) { return (n + to - 1) / to * to; }

const char* wanted_kind(FormatType type) {
    switch (type) {
    case FormatType::Doc: return "doc";
    case FormatType::Xls: return "xls";
    case FormatType::Ppt: return "ppt";
    default: return nullptr;  // any
    }
}

ExtractResult extract_ole(const ExtractInput& in) {
    const ByteView v(in);
    const uint64_t r = v.size();
    if (in.spec->type == FormatType::Xls) in.spec->extension = "ole";
    if (r < kSector) return needs_more(in);
    const ExtractResult rejected = std::min<uint64_t>(kSector, r);
    const uint32_t fat_count = *v.le32(44), difat_count = *v.le32(72);
    if (*v.le16(34) != 0 || *v.le32(36) != 0 || *v.le32(40) != 0 || *v.le16(32) != 6 ||
        *v.le16(30) != 9 || fat_count < 1 || fat_count > 100 || difat_count > 100)
        return rejected;

    OleWalk walk(v);
    int64_t last_good = -1;
    try {
        if (walk.build_fat(fat_count, difat_count, last_good) != Stop::Ok) {
            if (walk.beyond() && !no_more_bytes(in)) return std::nullopt;
            return last_good >= 0 ? kSector * static_cast<uint64_t>(last_good + 1) : kSector;
        }
    } catch (const std::bad_alloc&) {
        // Out of memory for this header's tables: reject it, the run goes on.
        return rejected;
    }

    const int64_t first_dir = static_cast<int32_t>(*v.le32(48));
    if (first_dir < 0) return 10;
    const uint64_t abandon = kSector * static_cast<uint64_t>(first_dir + 1);
    const auto dir_sectors = walk.directory_length(first_dir);
    if (!dir_sectors) return walk.beyond() && !no_more_bytes(in) ? std::nullopt : ExtractResult(abandon);
    std::vector<Entry> entries;
    try {
        if (!walk.read_entries(first_dir, *dir_sectors, entries))
            return walk.beyond() && !no_more_bytes(in) ? std::nullopt : ExtractResult(abandon);
    } catch (const std::bad_alloc&) {
        return rejected;
    }

    std::string ext = "ole";
    for (const Entry& e : entries)
        if (e.type == 2)
            if (const char* x = extension_of(e.name)) {
                ext = x;
                break;
            }
    in.spec->extension = ext;

    const uint64_t cutoff = *v.le32(56);
    uint64_t size = 0;
    for (const Entry& e : entries)
        if (e.type == 2) size += round_up(e.size, e.size > cutoff ? 512 : 64);
    size += uint64_t{fat_count} * kSector;
    size += round_up(entries.size() * 128, 512);
    size += round_up(uint64_t{*v.le32(64)} * 64, 512);
    size += 1024;
    int64_t mini = static_cast<int32_t>(*v.le32(60));
    if (walk.any_read() && mini < walk.highest() + 1 + 5) mini = walk.highest() + 1 + 5;
    const int64_t mini_bytes = mini * static_cast<int64_t>(kSector);
    if (mini_bytes > 0) size = std::max(size, static_cast<uint64_t>(mini_bytes));
    size = round_up(size, kSector);
    // The FAT knows the size exactly; the sum above is kept for a FAT that
    // names no sector.
    if (const uint64_t exact = walk.fat_size(); exact != 0) size = exact;
    // A file longer than the bytes given is read through the window, never
    // listed cut short as if whole.
    if (size > r) return needs_more(in);

    uint64_t next = size;
    if (mini_bytes - 2560 > 0 && static_cast<uint64_t>(mini_bytes - 2560) < r)
        next = static_cast<uint64_t>(mini_bytes - 2560);

    const char* want = wanted_kind(in.spec->type);
    if (!want || ext.find(want) != std::string::npos) record_at(in, 0, size);
    return go_on(in, next);
}

}  // namespace

FormatDefinition ole_format() {
    // The compound file signature followed by a zero class id start.
    const std::vector<uint8_t> header{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 0, 0, 0, 0, 0, 0, 0, 0};
    auto row = [&header](const char* ext, FormatType type, uint64_t max_length) {
        return FormatRow{ext, type, header, {}, max_length, {}, true, extract_ole};
    };
    const FormatRow any = row("ole", FormatType::Ole, 10 * kMiB);
    // Office files with pictures in them run past 5 MB.
    return {row("ole", FormatType::Ole, 64 * kMiB),
            {{"ole", any},
             {"office", any},
             {"doc", row("doc", FormatType::Doc, 20 * kMiB)},
             {"xls", row("xls", FormatType::Xls, 10 * kMiB)},
             {"ppt", row("ppt", FormatType::Ppt, 10 * kMiB)}}};
}

}  // namespace quen::cdr::fmt
