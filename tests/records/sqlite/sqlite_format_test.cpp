// The record-format readers on hand-built bytes: varints, serial type lengths,
// integer values, and big-endian fields that must not be read past the end.
#include "records/sqlite/sqlite_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace quen::records::sqlite {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(RecordFormat, VarintsSerialTypesAndIntegerFields) {
    uint64_t value = 0;
    const Bytes two_bytes = {0x81, 0x00};
    EXPECT_EQ(read_varint(two_bytes, 0, value), 2u);
    EXPECT_EQ(value, 128u);
    const Bytes nine_bytes(9, 0xFF);
    EXPECT_EQ(read_varint(nine_bytes, 0, value), 9u);
    EXPECT_EQ(value, UINT64_MAX);
    // Continuation bytes at the end: the missing bytes read as zero.
    const Bytes cut = {0x10, 0x83};
    EXPECT_EQ(read_varint(cut, 1, value), 2u);
    EXPECT_EQ(value, 3u << 7);
    EXPECT_EQ(read_varint(cut, 5, value), 1u);
    EXPECT_EQ(value, 0u);

    const std::pair<uint64_t, uint64_t> lengths[] = {{0, 0}, {1, 1}, {4, 4}, {5, 6}, {6, 8}, {7, 8}, {8, 0},
                                                     {11, 0}, {12, 0}, {13, 0}, {14, 1}, {15, 1}, {301, 144}};
    for (auto [type, length] : lengths) EXPECT_EQ(serial_type_length(type), length) << type;

    const Bytes field = {0x01, 0x8C, 0xCF, 0x3A, 0x2E, 0x7B};
    EXPECT_TRUE(read_unsigned_field(field, 0, 5, value));
    EXPECT_EQ(value, 0x018CCF3A2E7Bu);
    EXPECT_FALSE(read_unsigned_field(field, 1, 5, value));  // one byte short
    EXPECT_FALSE(read_unsigned_field(field, 7, 1, value));
    EXPECT_TRUE(read_unsigned_field(field, 6, 9, value));  // a constant needs no bytes
    EXPECT_EQ(value, 1u);
}

TEST(RecordFormat, BigEndianFieldsStopAtTheEnd) {
    const Bytes page = {0x0D, 0x01, 0x02, 0x03, 0x04};
    uint32_t value = 7;
    EXPECT_TRUE(read_be16(page, 3, value));
    EXPECT_EQ(value, 0x0304u);
    EXPECT_TRUE(read_be32(page, 1, value));
    EXPECT_EQ(value, 0x01020304u);
    EXPECT_FALSE(read_be16(page, 4, value));
    EXPECT_FALSE(read_be32(page, 2, value));
    EXPECT_FALSE(read_be16(page, SIZE_MAX, value));  // an offset whose sum would wrap
    EXPECT_EQ(value, 0x01020304u);                    // untouched by the failed reads
}

}  // namespace
}  // namespace quen::records::sqlite
