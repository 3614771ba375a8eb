#pragma once
// Searching one chunk for every SearchSpec, in set-up order, and
// recording what the extractors accept.
#include <array>
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

class ChunkSearcher {
public:
    ChunkSearcher(CarveState& st, CarveReader& reader);

    // Searches the chunk (read at device offset chunk_offset) for every spec
    // in order. False when the progress callback asked to stop.
    bool search(std::span<const uint8_t> chunk, uint64_t chunk_offset);

private:
    struct Candidate {
        uint32_t offset;  // a block boundary within the chunk
        uint8_t first;    // the byte there
    };
    bool go_on(uint64_t current);
    bool search_spec(size_t index, std::span<const uint8_t> chunk, uint64_t chunk_offset);
    void collect_candidates(std::span<const uint8_t> chunk);

    CarveState& st_;
    CarveReader& reader_;
    CarveRecorder recorder_;
    // Quick mode: which first bytes can begin each spec's header, and which
    // can begin any of them. Block boundaries whose byte begins no header are
    // passed over without comparing.
    std::vector<std::array<bool, 256>> first_ok_;
    std::array<bool, 256> any_first_{};
    std::vector<Candidate> candidates_;
};

}  // namespace quen::cdr
