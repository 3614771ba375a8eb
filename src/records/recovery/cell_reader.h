#pragma once
// Reading candidate cells out of free bytes of a page, in the two shapes a
// deleted cell is left in: intact (a cell freed with its whole page, or one
// whose start a later freeblock never touched), and with its first four bytes
// overwritten by a freeblock header (every cell SQLite frees on a page that
// stays in use). Overwritten bytes take the payload length, the rowid and,
// for small cells, the header length and the first serial type with them;
// what the table's layout allows, and where the cell must end, put them back.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "records/recovery/record_matcher.h"

namespace quen::records::recovery {

enum class CellKind : uint8_t { Table, Index };

struct Candidate {
    CellShape shape;
    TableMatch match;
};

class CellReader {
public:
    CellReader(const MatchContext& context, std::span<const uint8_t> page, CellKind kind, uint64_t largest_payload);

    // An intact cell at `start` ending by `limit`, read as its best table's
    // row.
    std::optional<Candidate> intact(uint32_t start, uint32_t limit) const;

    // A cell at `start` whose first four bytes were overwritten, ending by
    // `limit`. `ends` lists where the cell may end (the end of its freeblock
    // and the few bytes before it, the start of a cell found after it): a
    // reading that ends there is worth more, and a first serial type that was
    // lost is inferred from one. `stale_header`: the four bytes must look like
    // the freeblock header they are (a cell inside a larger freeblock);
    // `stale_end` (0: none), the end its size field gives, is one more end to
    // infer a lost type from, but, being no proof, earns nothing.
    std::optional<Candidate> overwritten(uint32_t start, uint32_t limit, std::span<const uint32_t> ends,
                                         bool stale_header, uint32_t stale_end = 0) const;
    // Every acceptable reading of that cell, the best for each end, best first.
    std::vector<Candidate> overwritten_readings(uint32_t start, uint32_t limit, std::span<const uint32_t> ends,
                                                bool stale_header, uint32_t stale_end = 0) const;

    // Most serial types a record of any table has.
    size_t most_types() const { return most_types_; }
    std::span<const uint8_t> page() const { return page_; }
    // Whether the four bytes at `at` read as a freeblock header: the next
    // offset 0 or further on in the page, a size of at least 4 that stays in it.
    bool looks_like_freeblock_header(uint32_t at) const;
    // Usable bytes of the page that are there.
    uint32_t area() const { return area_; }

private:
    // The shape of a cell whose payload starts at `payload_at`, with its
    // types read; fills sizes and the end; false when it does not fit by `limit`.
    bool finish_shape(CellShape& shape, uint32_t limit) const;
    // Reads `shape` as a row (of `only_table`, or of its best table) and,
    // when acceptable, keeps it in `readings`; whether it was acceptable.
    bool choose(std::vector<Candidate>& readings, CellShape shape, std::span<const uint32_t> ends,
                int only_table) const;

    struct TypeRun {
        std::vector<uint64_t> types;
        std::vector<uint32_t> width;  // [c]: header bytes of the first c types
        std::vector<uint64_t> body;   // [c]: value bytes of the first c types
        size_t count() const { return types.size(); }
    };
    TypeRun read_type_run(std::span<const uint8_t> bytes, uint32_t at) const;

    const MatchContext& context_;
    std::span<const uint8_t> page_;
    CellKind kind_;
    uint64_t largest_payload_;
    size_t most_types_ = 1;
    uint32_t area_;  // usable bytes of the page that are there
};

}  // namespace quen::records::recovery
