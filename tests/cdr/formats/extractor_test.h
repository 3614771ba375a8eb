#pragma once
// What the extractor tests share: the fixture's names, and the check that a
// sample was found whole.
#include <gtest/gtest.h>

#include <cstdint>

#include "cdr/formats/formats_fixture.h"
#include "sample_files.h"

namespace quen::cdr::test {

using sample::Bytes;

inline uint32_t le32_of(const Bytes& b, size_t at) {
    return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) | (uint32_t{b[at + 3]} << 24);
}

// One file recorded, exactly `size` bytes, and the search going on right after it.
inline void expect_one_whole_file(const ExtractRun& run, uint64_t size) {
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files[0].size, size);
    EXPECT_EQ(run.result, size);
}

}  // namespace quen::cdr::test
