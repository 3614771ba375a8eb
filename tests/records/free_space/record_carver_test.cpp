// The record carver with the contacts and sms row patterns, and the text
// check, on hand-built bytes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "records/free_space/android_rows.h"
#include "records/free_space/record_carver.h"

namespace quen::records {
namespace {

using Bytes = std::vector<uint8_t>;

// One column of a record: its serial type and its data bytes.
struct Column {
    uint64_t type;
    Bytes data;
};

void put_varint(Bytes& out, uint64_t value) {
    if (value > 0x00FFFFFFFFFFFFFFull) {  // nine bytes: the last one carries 8 bits
        Bytes groups;
        for (int group = 0; group < 8; ++group)
            groups.insert(groups.begin(), static_cast<uint8_t>(((value >> (8 + 7 * group)) & 0x7F) | 0x80));
        out.insert(out.end(), groups.begin(), groups.end());
        out.push_back(static_cast<uint8_t>(value & 0xFF));
        return;
    }
    Bytes groups;
    do {
        groups.insert(groups.begin(), static_cast<uint8_t>(value & 0x7F));
        value >>= 7;
    } while (value);
    for (size_t index = 0; index + 1 < groups.size(); ++index) groups[index] |= 0x80;
    out.insert(out.end(), groups.begin(), groups.end());
}

Column null() { return {0, {}}; }
Column one_byte(uint8_t value) { return {1, {value}}; }
Column two_bytes(uint16_t value) { return {2, {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)}}; }
Column six_bytes(uint64_t value) {
    Bytes bytes;
    for (int shift = 40; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
    return {5, bytes};
}
Column constant(int value) { return {value == 0 ? 8u : 9u, {}}; }
Column text(const std::string& value) { return {13 + 2 * value.size(), Bytes(value.begin(), value.end())}; }

// The serial types of `cols` from `first` on, then all their data.
Bytes record(const std::vector<Column>& columns, size_t first = 0) {
    Bytes out;
    for (size_t index = first; index < columns.size(); ++index) put_varint(out, columns[index].type);
    for (size_t index = first; index < columns.size(); ++index)
        out.insert(out.end(), columns[index].data.begin(), columns[index].data.end());
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::string str(std::span<const uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

// data: _id, package_id, mimetype_id, raw_contact_id, is_primary, data1, data2
FreeSpaceLayout contacts_layout() {
    return {.mode = FreeSpaceMode::Contacts, .root_page = 2, .column_count = 7, .raw_contact_id = 3, .data1 = 5};
}

// sms: _id, thread_id, address, date, type, body, seen
FreeSpaceLayout messages_layout() {
    return {.mode = FreeSpaceMode::Messages, .root_page = 2, .column_count = 7, .address = 2, .body = 5,
            .thread_id = 1, .date = 3, .type = 4};
}

std::vector<Column> data_row(Column mimetype, Column raw, Column data1) {
    return {null(), null(), std::move(mimetype), std::move(raw), constant(0), std::move(data1), text("2")};
}

// The patterns' .value(): a layout they refuse fails the test instead of
// carving with nothing.
std::vector<ContactCandidate> carve_data_rows(const Bytes& region) {
    std::vector<ContactCandidate> out;
    carve_contacts(region, data_row_pattern(contacts_layout()).value(), [&](const auto& found) { out.push_back(found); });
    return out;
}

struct CarvedSms {
    std::string address, body;
    uint64_t date, thread, type;
};
std::vector<CarvedSms> carve_sms_rows(const Bytes& region) {
    std::vector<CarvedSms> out;
    carve_messages(region, sms_row_pattern(messages_layout()).value(), [&](const MessageCandidate& found) {
        out.push_back({str(found.address), str(found.body), found.date, found.thread_id, found.type});
    });
    return out;
}

std::vector<Column> sms_row(Column thread, Column address, Column date, Column type, Column body) {
    return {null(), std::move(thread), std::move(address), std::move(date), std::move(type), std::move(body), one_byte(1)};
}

TEST(ContactCarver, RebuildsARowBehindFreeblockDebrisAndRejectsOtherMimetypeEncodings) {
    // As a freed cell leaves it: whatever survived of the cell's first bytes,
    // then the serial types from column 0 on.
    Bytes region = join({{0x07, 0xC3}, record(data_row(one_byte(5), two_bytes(300), text("+49 170 1234567")))});
    auto found = carve_data_rows(region);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].mimetype_id, 5u);
    EXPECT_EQ(found[0].raw_contact_id, 300u);
    EXPECT_EQ(str(found[0].data1), "+49 170 1234567");

    // The mimetype id must be a 1-byte integer: id 1 stored as the constant
    // 1, id 0 as the constant 0, id 200 as a 2-byte integer are not rebuilt.
    EXPECT_TRUE(carve_data_rows(record(data_row(constant(1), one_byte(7), text("x@y.example")))).empty());
    EXPECT_TRUE(carve_data_rows(record(data_row(constant(0), one_byte(7), text("x@y.example")))).empty());
    EXPECT_TRUE(carve_data_rows(record(data_row(two_bytes(200), one_byte(7), text("x@y.example")))).empty());
    // ... and an id above 127 never fits a 1-byte integer, so the row is lost;
    // a 1-byte id as stored by an older writer (unsigned read) still comes back.
    auto high = carve_data_rows(record(data_row(one_byte(0x85), one_byte(7), text("x@y.example"))));
    ASSERT_EQ(high.size(), 1u);
    EXPECT_EQ(high[0].mimetype_id, 0x85u);
}

TEST(ContactCarver, RejectsNullContactEmptyOrNonTextData1AndNonNumbersBeforeData1) {
    EXPECT_TRUE(carve_data_rows(record(data_row(one_byte(5), null(), text("0170 1234567")))).empty());
    EXPECT_TRUE(carve_data_rows(record(data_row(one_byte(5), one_byte(9), text("")))).empty());
    EXPECT_TRUE(carve_data_rows(record(data_row(one_byte(5), one_byte(9), one_byte(3)))).empty());
    EXPECT_TRUE(carve_data_rows(record(data_row(one_byte(5), one_byte(9), text("bad\x01" "control")))).empty());
    EXPECT_TRUE(carve_data_rows(record(data_row(one_byte(5), one_byte(9), text("cut \xE2\x82")))).empty());
    // A text in a column before data1 (say a hash) is not what a data row of
    // the expected shape holds.
    auto row = data_row(one_byte(5), one_byte(9), text("Anna"));
    row[1] = text("ab12");
    EXPECT_TRUE(carve_data_rows(record(row)).empty());
}

TEST(ContactCarver, RecordsCutByTheRegionEndAreRejectedWithoutReadingPastIt) {
    Bytes full = record(data_row(one_byte(5), six_bytes(70000), text("Ελένη Παπαδοπούλου")));
    ASSERT_EQ(carve_data_rows(full).size(), 1u);
    // Every shorter cut: nothing, and (under the sanitizers) no read past the
    // region, which is exactly as long as the vector.
    // (data2, the last byte, is not needed.)
    for (size_t length = 0; length + 1 < full.size(); ++length) {
        Bytes cut(full.begin(), full.begin() + static_cast<long>(length));
        EXPECT_TRUE(carve_data_rows(cut).empty()) << length;
    }
}

TEST(MessageCarver, RebuildsAMessageAndReadsTheConstantTypeAsReceived) {
    // The _id serial type (0) is tried too and rejected; column 1 starts the record.
    Bytes region = record(sms_row(one_byte(4), text("+4915112345678"), six_bytes(1700000000123), constant(1),
                                  text("Bin gleich da. 🚲")));
    auto found = carve_sms_rows(region);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].address, "+4915112345678");
    EXPECT_EQ(found[0].body, "Bin gleich da. 🚲");
    EXPECT_EQ(found[0].date, 1700000000123u);
    EXPECT_EQ(found[0].thread, 4u);
    EXPECT_EQ(found[0].type, 1u);
}

TEST(MessageCarver, RejectsNullDateNullThreadEmptyTextsAndLongSerialTypes) {
    auto row = [](Column thread, Column address, Column date, Column body) {
        return record(sms_row(std::move(thread), std::move(address), std::move(date), one_byte(2), std::move(body)));
    };
    EXPECT_TRUE(carve_sms_rows(row(one_byte(4), text("555"), null(), text("no date"))).empty());
    EXPECT_TRUE(carve_sms_rows(row(null(), text("555"), six_bytes(1), text("no thread"))).empty());
    EXPECT_TRUE(carve_sms_rows(row(text("4"), text("555"), six_bytes(1), text("thread as text"))).empty());
    EXPECT_TRUE(carve_sms_rows(row(one_byte(4), text(""), six_bytes(1), text("no address"))).empty());
    EXPECT_TRUE(carve_sms_rows(row(one_byte(4), text("555"), six_bytes(1), text(""))).empty());
    // A serial type written in 5 bytes (a padded varint) is not one SQLite
    // writes for a row of a page: the address type 27 as 80 80 80 80 1B.
    Bytes plain = record(sms_row(one_byte(4), text("5551234"), six_bytes(1), one_byte(2), text("padded")), 1);
    ASSERT_EQ(plain[1], 27);
    ASSERT_EQ(carve_sms_rows(plain).size(), 1u);
    Bytes padded = plain;
    padded.insert(padded.begin() + 1, {0x80, 0x80, 0x80, 0x80});
    EXPECT_TRUE(carve_sms_rows(padded).empty());
}

TEST(MessageCarver, AMisreadPositionClaimingBytesPastTheEndDoesNotHideALaterRecord) {
    // Debris that parses as a header (thread 1-byte, address a 58-byte blob,
    // date, type, body one byte, seen NULL) whose body would lie past the end
    // of the region, followed by an intact record.
    Bytes debris = {0x01, 0x81, 0x00, 0x01, 0x01, 0x0F, 0x00};
    Bytes real = record(sms_row(one_byte(7), text("72345"), six_bytes(1700000000000), one_byte(2), text("Ok 👍")));
    auto found = carve_sms_rows(join({debris, real}));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].body, "Ok 👍");
    EXPECT_EQ(found[0].thread, 7u);
}

TEST(RowPatterns, NeedALayoutWhoseRebuiltColumnsTheCarverReaches) {
    EXPECT_TRUE(data_row_pattern(contacts_layout()));
    EXPECT_TRUE(sms_row_pattern(messages_layout()));
    // The wrong mode, no root page, raw_contact_id in column 0 (no mimetype
    // column before it), data1 past the last column, or an sms column at 0
    // (whose serial type lost records do not keep): no pattern.
    EXPECT_FALSE(sms_row_pattern(contacts_layout()));
    EXPECT_FALSE(data_row_pattern(messages_layout()));
    FreeSpaceLayout broken = contacts_layout();
    broken.root_page = 0;
    EXPECT_FALSE(data_row_pattern(broken));
    broken = contacts_layout();
    broken.raw_contact_id = 0;
    EXPECT_FALSE(data_row_pattern(broken));
    broken = contacts_layout();
    broken.data1 = 7;
    EXPECT_FALSE(data_row_pattern(broken));
    broken = messages_layout();
    broken.body = 0;
    EXPECT_FALSE(sms_row_pattern(broken));
}

TEST(TextCheck, AcceptsPhoneTextAndRejectsControlBytesAndMalformedUtf8) {
    auto ok = [](const std::string& text) {
        return passes_text_check({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    };
    for (const char* good : {"a", "Tab\there\r\n", "~", "é", "€", "𝄞", "\xED\x9F\xBF", "\xF4\x8F\xBF\xBF", "\xEE\x80\x80"})
        EXPECT_TRUE(ok(good)) << good;
    const std::string bad[] = {std::string("\0", 1), "\x7F", "\x1B[0m", "\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF",
                               "\xED\xA0\x80", "\xF0\x80\x80\xAF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
                               "\x80", "\xC3", "\xE2\x82", "\xC3\x28"};
    for (const std::string& text : bad) EXPECT_FALSE(ok(text)) << testing::PrintToString(text);
}

}  // namespace
}  // namespace quen::records
