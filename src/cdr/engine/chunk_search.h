#pragma once
// Searching one chunk for every SearchSpec, in set-up order, and
// recording what the extractors accept.
#include <array>
#include <optional>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cdr/engine/carve_reader.h"
#include "cdr/engine/carve_state.h"
#include "cdr/engine/extractor.h"

namespace quen::cdr {

// Records a found file: names it "%llu.%s" (device offset / block size, the
// SearchSpec's current extension), hangs it on the SearchSpec's type node and reports it.
class CarveRecorder final : public FileRecorder {
public:
    explicit CarveRecorder(CarveState& st) : st_(st) {}
    void record(SearchSpec& spec, uint64_t device_offset, uint64_t size) override;

private:
    CarveState& st_;
};

// "%llu.%s", cut to 127 characters.
std::string found_file_name(uint64_t device_offset, uint32_t block_size, const std::string& ext);

// The engine's reader as the extractors' ByteFetcher.
class ReaderFetcher final : public ByteFetcher {
public:
    explicit ReaderFetcher(CarveReader& reader) : reader_(reader) {}
    std::span<const uint8_t> fetch(uint64_t device_offset, size_t len) override {
        return reader_.fetch(device_offset, len);
    }

private:
    CarveReader& reader_;
};

class ChunkSearcher {
public:
    ChunkSearcher(CarveState& st, CarveReader& reader);

    // Searches the chunk (read at device offset chunk_offset) for every file type
    // in order. False when the progress callback asked to stop.
    bool search(std::span<const uint8_t> chunk, uint64_t chunk_offset);

private:
    struct Candidate {
        uint32_t offset;  // a block boundary within the chunk
        uint8_t first;    // the byte there
    };
    struct Hit {
        size_t at;    // the header's offset in the chunk
        size_t lead;  // bytes of the file before it
    };
    bool go_on(uint64_t current);
    bool search_spec(size_t index, std::span<const uint8_t> chunk, uint64_t chunk_offset);
    void collect_candidates(std::span<const uint8_t> chunk);
    // The next file start of type `index` at a block boundary at or after `from`.
    std::optional<Hit> next_quick_hit(size_t index, std::span<const uint8_t> chunk, size_t from,
                                      size_t& next_candidate);

    CarveState& st_;
    CarveReader& reader_;
    CarveRecorder recorder_;
    ReaderFetcher fetcher_;
    // Per file type, the device offset its search goes on from: a file found
    // through a window, or one longer than its chunk, is not searched again
    // for headers of its own type.
    std::vector<uint64_t> resume_;
    // Quick mode: which first bytes can begin a file of each type, and which
    // can begin any of them. Block boundaries whose byte begins no header are
    // passed over without comparing. Types whose header lies further into the
    // file, or that look at the block themselves, walk every block.
    std::vector<std::array<bool, 256>> first_ok_;
    std::array<bool, 256> any_first_{};
    std::vector<Candidate> candidates_;
};

}  // namespace quen::cdr
