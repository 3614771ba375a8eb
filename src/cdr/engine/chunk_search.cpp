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
    : st_(st), reader_(reader), recorder_(st), fetcher_(reader), resume_(st.specs.size(), 0) {
    for (const SearchSpec& s : st_.specs) {
        std::array<bool, 256> ok{};
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<uint8_t>(b);
            if (s.starts)
                ok[b] = s.start_bytes.empty() || s.start_bytes.find(static_cast<char>(byte)) != std::string_view::npos;
            else if (s.header_offset != 0)
                ok[b] = true;  // the block's first byte says nothing
            else
                // Exactly the bytes that pattern_compare accepts in first
                // place; an empty header matches everywhere.
                ok[b] = s.header.empty() ||
                        pattern_compare(s.header.bytes.data(), &byte, 1, s.header.case_sensitive) == 0;
        }
        // Types that walk every block need no candidates.
        if (!s.starts && s.header_offset == 0)
            for (int b = 0; b < 256; ++b) any_first_[b] = any_first_[b] || ok[b];
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

std::optional<ChunkSearcher::Hit> ChunkSearcher::next_quick_hit(size_t index, std::span<const uint8_t> chunk,
                                                                size_t from, size_t& next_candidate) {
    const SearchSpec& spec = st_.specs[index];
    const std::array<bool, 256>& first_ok = first_ok_[index];
    const uint8_t* bytes = chunk.data();
    const size_t length = chunk.size();
    const size_t header_length = spec.header.size();
    const size_t block = st_.block_size;
    // A header must lie wholly within the bytes read: a compare that ran past
    // them would look at stale buffer bytes.
    auto header_at = [&](size_t at) {
        return at + header_length <= length &&
               pattern_compare(spec.header.bytes.data(), bytes + at, header_length, spec.header.case_sensitive) == 0;
    };
    if (!spec.starts && spec.header_offset == 0) {
        while (next_candidate < candidates_.size() && candidates_[next_candidate].offset < from) ++next_candidate;
        for (; next_candidate < candidates_.size(); ++next_candidate) {
            const Candidate& c = candidates_[next_candidate];
            if (c.offset + header_length > length) return std::nullopt;
            if (first_ok[c.first] && header_at(c.offset)) return Hit{c.offset, 0};
        }
        return std::nullopt;
    }
    for (size_t at = from; at < length; at += block) {
        if (!first_ok[bytes[at]]) continue;
        if (spec.starts) {
            const std::optional<uint32_t> lead = spec.starts(bytes + at, length - at);
            if (lead && at + *lead < length) return Hit{at + *lead, *lead};
        } else if (header_at(at + spec.header_offset)) {
            return Hit{at + spec.header_offset, spec.header_offset};
        }
    }
    return std::nullopt;
}

bool ChunkSearcher::search_spec(size_t index, std::span<const uint8_t> chunk, uint64_t chunk_offset) {
    SearchSpec& spec = st_.specs[index];
    const ExtractFn extract = spec.extract;
    const uint8_t* bytes = chunk.data();
    const size_t length = chunk.size();
    const size_t header_length = spec.header.size();
    const size_t block = st_.block_size;

    if (!go_on(chunk_offset)) return false;
    // A file found earlier may reach into this chunk, or past it.
    const uint64_t resume = resume_[index];
    if (resume >= chunk_offset + length) return true;
    size_t cursor = resume > chunk_offset ? static_cast<size_t>(resume - chunk_offset) : 0;
    size_t next_candidate = 0;
    for (;;) {
        spec.written = false;
        if (cursor >= length) break;
        Hit hit{0, 0};
        if (st_.quick) {
            // Block boundaries count from the chunk's start, which is a block
            // boundary of the extent.
            const size_t from = (cursor + block - 1) / block * block;
            const std::optional<Hit> found = next_quick_hit(index, chunk, from, next_candidate);
            if (!found) break;
            hit = *found;
            // The stop check of the block-by-block walk; nothing is recorded
            // between hits, so checking at the hit keeps its outcome.
            if (!go_on(chunk_offset)) return false;
        } else {
            if (!go_on(chunk_offset)) return false;
            const ptrdiff_t at = pattern_search(spec.header, bytes + cursor, length - cursor);
            if (at < 0) break;
            hit.at = cursor + static_cast<size_t>(at);
        }

        const uint64_t rest = length - hit.at;  // bytes from the hit to the chunk's end
        ExtractInput in;
        in.hit = bytes + hit.at;
        in.hit_offset = hit.at;
        in.available = rest;
        in.before = hit.at;
        in.lead = hit.lead;
        in.buffer_offset = chunk_offset;
        in.spec = &spec;
        in.recorder = &recorder_;
        in.on_text = &st_.on_text;
        in.fetch = &fetcher_;
        in.range_end = st_.extent_end();
        const bool window_may_come = extract && !spec.fetches && rest + hit.lead < spec.max_length;
        in.final_try = !window_may_come;
        ExtractResult next = extract ? extract(in) : std::nullopt;

        if (st_.write_all && !spec.written)
            recorder_.record(spec, chunk_offset + hit.at, std::min<uint64_t>(spec.max_length, rest));

        if (!next && window_may_come) {
            // The file may run past the chunk: once more on a window of max
            // length read at the file's start (or what there is of it before
            // the source's end).
            const std::span<const uint8_t> window =
                reader_.window(chunk_offset + hit.at - hit.lead, static_cast<size_t>(spec.max_length));
            if (window.size() > hit.lead) {
                in.hit = window.data() + hit.lead;
                in.available = window.size() - hit.lead;
                in.before = hit.lead;
                in.final_try = true;
                next = extract(in);
            }
        }
        // A header without a file (cut short, or not one at all) hides
        // nothing: the search goes on right after it.
        const uint64_t step = next ? std::max<uint64_t>(*next, 1) : header_length + 1;
        if (step >= rest) {
            resume_[index] = chunk_offset + hit.at + step;
            break;
        }
        cursor = hit.at + static_cast<size_t>(step);
    }
    return true;
}

}  // namespace quen::cdr
