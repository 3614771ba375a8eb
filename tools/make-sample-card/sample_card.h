#pragma once
// Card images for the carver: files of every built-in type laid out so that
// the carving rules (quick mode, 4 MiB chunks, max-length windows) find a
// known list of files, with exact offsets and sizes.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sizes.h"
#include "sample_files.h"

namespace quen::sample {

struct ExpectedFile {
    std::string type;  // the file-type node: the built-in table's extension
    std::string name;  // "<offset / 512>.<extension>"
    uint64_t offset = 0;
    uint64_t size = 0;
};

struct Card {
    Bytes image;
    std::vector<ExpectedFile> expected;  // in offset order
    // Every sector-aligned offset where a built-in header was put on purpose
    // (files found or not, and false headers).
    std::vector<uint64_t> planted;
};

using platform::kMiB;
constexpr uint64_t kChunk = 4 * kMiB;  // the engine's default chunk
constexpr uint64_t kSectorSize = platform::kSector;

// The mixed card: files at sector offsets and off them, across chunk
// boundaries, cut short, within max length of the end, false headers in
// between, noise. `size` is at least 64 MiB and a multiple of 4 MiB.
bool make_sample_card(uint64_t size, uint64_t seed, Card& card, std::string& error);

// A card of `size` bytes (a multiple of 4 MiB) densely packed with sample
// files at sector offsets, written to `path` without holding it in memory.
bool write_dense_card(const std::string& path, uint64_t size, uint64_t seed,
                      std::vector<ExpectedFile>& expected, std::string& error);

// The expected list as the command line's carve JSON lists files:
// {"source": ..., "files": [{"type", "name", "offset", "size"}]}.
std::string expected_json(const std::string& source, const std::vector<ExpectedFile>& files);

// Writes the extractor fuzz target's seed files into `dir` (one small valid
// file of each kind, with the target's two leading selector bytes).
bool write_extractor_seeds(const std::string& dir, std::string& error);

// Offsets of every sector-aligned position in [from, to) where a file of a
// built-in type may start, as quick mode looks.
std::vector<uint64_t> aligned_header_hits(const Bytes& image, uint64_t from = 0, uint64_t to = UINT64_MAX);

}  // namespace quen::sample
