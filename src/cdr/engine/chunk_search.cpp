#include "cdr/engine/chunk_search.h"

#include <algorithm>
#include <cstdio>

#include "cdr/engine/pattern.h"

namespace quen::cdr {

std::string found_file_name(uint64_t device_offset, uint32_t block_size, const std::string& ext) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%llu.%s",
                  static_cast<unsigned long long>(device_offset / block_size), ext.c_str());
    return buf;
}

void CarveRecorder::record(SearchSpec& spec, uint64_t device_offset, uint64_t size) {
    std::string name = found_file_name(device_offset, st_.block_size, spec.extension);
    const FoundFile* f = nullptr;
    if (spec.type_node)
        f = &spec.type_node->add_found_file(std::move(name), size, device_offset, st_.block_size);
    spec.written = true;
    ++spec.found_count;
    ++st_.files_found;
    if (st_.progress) st_.progress(st_.extent_end(), device_offset, f);  // result not looked at
}

ChunkSearcher::ChunkSearcher(CarveState& st, CarveReader& reader)
    : st_(st), reader_(reader), recorder_(st) {
    for (const SearchSpec& s : st_.specs) {
        std::array<bool, 256> ok{};
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<uint8_t>(b);
            // Exactly the bytes that pattern_compare accepts in first place;
            // an empty header matches everywhere.
            ok[b] = s.header.empty() ||
                    pattern_compare(s.header.bytes.data(), &byte, 1, s.header.case_sensitive) == 0;
            any_first_[b] = any_first_[b] || ok[b];
        }
        first_ok_.push_back(ok);
    }
}

bool ChunkSearcher::go_on(uint64_t current) {
    return !st_.progress || st_.progress(st_.extent_end(), current, nullptr) != kProgressStop;
}

void ChunkSearcher::collect_candidates(std::span<const uint8_t> chunk) {
    candidates_.clear();
    const size_t block = st_.block_size;
    for (size_t at = 0; at < chunk.size(); at += block)
        if (any_first_[chunk[at]])
            candidates_.push_back({static_cast<uint32_t>(at), chunk[at]});
}

bool ChunkSearcher::search(std::span<const uint8_t> chunk, uint64_t chunk_offset) {
    if (st_.quick) collect_candidates(chunk);
    for (size_t i = 0; i < st_.specs.size(); ++i)
        if (!search_spec(i, chunk, chunk_offset)) return false;
    return true;
}

bool ChunkSearcher::search_spec(size_t index, std::span<const uint8_t> chunk, uint64_t chunk_offset) {
    SearchSpec& spec = st_.specs[index];
    const ExtractFn extract = spec.extract;
    const std::array<bool, 256>& first_ok = first_ok_[index];
    const uint8_t* bytes = chunk.data();
    const size_t length = chunk.size();
    const size_t header_length = spec.header.size();
    const size_t block = st_.block_size;

    if (!go_on(chunk_offset)) return false;
    size_t cursor = 0;
    size_t next_candidate = 0;
    for (;;) {
        spec.written = false;
        if (cursor >= length) break;
        size_t hit = 0;
        if (st_.quick) {
            // The header is compared at each block boundary from the cursor
            // (rounded up) on. A header must lie wholly within the bytes read:
            // a compare that ran past them would look at stale buffer bytes.
            const size_t from = (cursor + block - 1) / block * block;
            while (next_candidate < candidates_.size() && candidates_[next_candidate].offset < from)
                ++next_candidate;
            bool found = false;
            for (; next_candidate < candidates_.size(); ++next_candidate) {
                const Candidate& c = candidates_[next_candidate];
                if (c.offset + header_length > length) break;
                if (first_ok[c.first] &&
                    pattern_compare(spec.header.bytes.data(), bytes + c.offset, header_length,
                                    spec.header.case_sensitive) == 0) {
                    hit = c.offset;
                    found = true;
                    break;
                }
            }
            if (!found) break;
            // The stop check of the block-by-block walk; nothing is recorded
            // between hits, so checking at the hit keeps its outcome.
            if (!go_on(chunk_offset)) return false;
        } else {
            if (!go_on(chunk_offset)) return false;
            const ptrdiff_t at = pattern_search(spec.header, bytes + cursor, length - cursor);
            if (at < 0) break;
            hit = cursor + static_cast<size_t>(at);
        }

        const uint64_t rest = length - hit;  // bytes from the hit to the chunk's end
        ExtractInput in;
        in.hit = bytes + hit;
        in.hit_offset = hit;
        in.available = rest;
        in.before = hit;
        in.buffer_offset = chunk_offset;
        in.spec = &spec;
        in.recorder = &recorder_;
        in.on_text = &st_.on_text;
        const ExtractResult next = extract ? extract(in) : std::nullopt;

        if (st_.write_all && !spec.written)
            recorder_.record(spec, chunk_offset + hit, std::min<uint64_t>(spec.max_length, rest));

        if (!next) {
            if (rest >= spec.max_length) {
                cursor = hit + header_length + 1;
                continue;
            }
            // The file may run past the chunk: try once more on a window of
            // max length read at the hit. Either way this spec's search of
            // the chunk ends here.
            const uint8_t* window = reader_.window(chunk_offset + hit, spec.max_length);
            if (window && extract) {
                in.hit = window;
                in.available = spec.max_length;
                in.before = 0;  // the window starts at the hit
                extract(in);
            }
            break;
        }
        // An extractor always moves on; a position at the hit itself would
        // find the same header forever.
        const uint64_t step = std::max<uint64_t>(*next, 1);
        cursor = step >= length - hit ? length : hit + static_cast<size_t>(step);
    }
    return true;
}

}  // namespace quen::cdr
