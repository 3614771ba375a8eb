// The record carver, the text check and the record-format readers, on
// hand-built bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/free_space_carver.h"
#include "records/free_space_text_check.h"
#include "records/sqlite_record.h"

namespace quen::records {
namespace {

using Bytes = std::vector<uint8_t>;

// One column of a record: its serial type and its data bytes.
struct Col {
    uint64_t type;
    Bytes data;
};

void put_varint(Bytes& out, uint64_t v) {
    if (v > 0x00FFFFFFFFFFFFFFull) {  // nine bytes: the last one carries 8 bits
        Bytes groups;
        for (int i = 0; i < 8; ++i) groups.insert(groups.begin(), static_cast<uint8_t>(((v >> (8 + 7 * i)) & 0x7F) | 0x80));
        out.insert(out.end(), groups.begin(), groups.end());
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        return;
    }
    Bytes groups;
    do {
        groups.insert(groups.begin(), static_cast<uint8_t>(v & 0x7F));
        v >>= 7;
    } while (v);
    for (size_t i = 0; i + 1 < groups.size(); ++i) groups[i] |= 0x80;
    out.insert(out.end(), groups.begin(), groups.end());
}

Col null() { return {0, {}}; }
Col one_byte(uint8_t v) { return {1, {v}}; }
Col two_bytes(uint16_t v) { return {2, {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}}; }
Col six_bytes(uint64_t v) {
    Bytes b;
    for (int i = 5; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return {5, b};
}
Col constant(int v) { return {v == 0 ? 8u : 9u, {}}; }
Col text(const std::string& s) { return {13 + 2 * s.size(), Bytes(s.begin(), s.end())}; }

// The serial types of `cols` from `first` on, then all their data.
Bytes record(const std::vector<Col>& cols, size_t first = 0) {
    Bytes out;
    for (size_t i = first; i < cols.size(); ++i) put_varint(out, cols[i].type);
    for (size_t i = first; i < cols.size(); ++i) out.insert(out.end(), cols[i].data.begin(), cols[i].data.end());
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::string str(std::span<const uint8_t> b) { return std::string(b.begin(), b.end()); }

// data: _id, package_id, mimetype_id, raw_contact_id, is_primary, data1, data2
records::FreeSpaceLayout contacts_layout() {
    records::FreeSpaceLayout l;
    l.mode = records::FreeSpaceMode::Contacts;
    l.root_page = 2;
    l.column_count = 7;
    l.raw_contact_id = 3;
    l.data1 = 5;
    return l;
}

// sms: _id, thread_id, address, date, type, body, seen
records::FreeSpaceLayout messages_layout() {
    records::FreeSpaceLayout l;
    l.mode = records::FreeSpaceMode::Messages;
    l.root_page = 2;
    l.column_count = 7;
    l.thread_id = 1;
    l.address = 2;
    l.date = 3;
    l.type = 4;
    l.body = 5;
    return l;
}

std::vector<Col> data_row(Col mimetype, Col raw, Col data1) {
    return {null(), null(), std::move(mimetype), std::move(raw), constant(0), std::move(data1), text("2")};
}

std::vector<records::ContactCandidate> carve_c(const Bytes& region) {
    std::vector<records::ContactCandidate> out;
    carve_contacts(region, contacts_layout(), [&](const records::ContactCandidate& c) { out.push_back(c); });
    return out;
}

struct Msg {
    std::string address, body;
    uint64_t date, thread, type;
};
std::vector<Msg> carve_m(const Bytes& region, const records::FreeSpaceLayout& layout = messages_layout()) {
    std::vector<Msg> out;
    carve_messages(region, layout, [&](const records::MessageCandidate& m) {
        out.push_back({str(m.address), str(m.body), m.date, m.thread_id, m.type});
    });
    return out;
}

std::vector<Col> sms_row(Col thread, Col address, Col date, Col type, Col body) {
    return {null(), std::move(thread), std::move(address), std::move(date), std::move(type), std::move(body), one_byte(1)};
}

TEST(ContactCarver, RebuildsARowBehindFreeblockDebrisAndRejectsOtherMimetypeEncodings) {
    // As a freed cell leaves it: whatever survived of the cell's first bytes,
    // then the serial types from column 0 on.
    Bytes region = join({{0x07, 0xC3}, record(data_row(one_byte(5), two_bytes(300), text("+49 170 1234567")))});
    auto found = carve_c(region);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].mimetype_id, 5u);
    EXPECT_EQ(found[0].raw_contact_id, 300u);
    EXPECT_EQ(str(found[0].data1), "+49 170 1234567");

    // The mimetype id must be a 1-byte integer: id 1 stored as the constant
    // 1, id 0 as the constant 0, id 200 as a 2-byte integer are not rebuilt.
    EXPECT_TRUE(carve_c(record(data_row(constant(1), one_byte(7), text("x@y.example")))).empty());
    EXPECT_TRUE(carve_c(record(data_row(constant(0), one_byte(7), text("x@y.example")))).empty());
    EXPECT_TRUE(carve_c(record(data_row(two_bytes(200), one_byte(7), text("x@y.example")))).empty());
    // ... and an id above 127 never fits a 1-byte integer, so the row is lost;
    // a 1-byte id as stored by an older writer (unsigned read) still comes back.
    auto high = carve_c(record(data_row(one_byte(0x85), one_byte(7), text("x@y.example"))));
    ASSERT_EQ(high.size(), 1u);
    EXPECT_EQ(high[0].mimetype_id, 0x85u);
}

TEST(ContactCarver, RejectsNullContactEmptyOrNonTextData1AndNonNumbersBeforeData1) {
    EXPECT_TRUE(carve_c(record(data_row(one_byte(5), null(), text("0170 1234567")))).empty());
    EXPECT_TRUE(carve_c(record(data_row(one_byte(5), one_byte(9), text("")))).empty());
    EXPECT_TRUE(carve_c(record(data_row(one_byte(5), one_byte(9), one_byte(3)))).empty());
    EXPECT_TRUE(carve_c(record(data_row(one_byte(5), one_byte(9), text("bad\x01" "control")))).empty());
    EXPECT_TRUE(carve_c(record(data_row(one_byte(5), one_byte(9), text("cut \xE2\x82")))).empty());
    // A text in a column before data1 (say a hash) is not what a data row of
    // the expected shape holds.
    auto row = data_row(one_byte(5), one_byte(9), text("Anna"));
    row[1] = text("ab12");
    EXPECT_TRUE(carve_c(record(row)).empty());
}

TEST(ContactCarver, RecordsCutByTheRegionEndAreRejectedWithoutReadingPastIt) {
    Bytes full = record(data_row(one_byte(5), six_bytes(70000), text("Ελένη Παπαδοπούλου")));
    ASSERT_EQ(carve_c(full).size(), 1u);
    // Every shorter cut: nothing, and (under the sanitizers) no read past the
    // region, which is exactly as long as the vector.
    // (data2, the last byte, is not needed.)
    for (size_t n = 0; n + 1 < full.size(); ++n) {
        Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
        EXPECT_TRUE(carve_c(cut).empty()) << n;
    }
}

TEST(MessageCarver, RebuildsAMessageAndReadsTheConstantTypeAsReceived) {
    // The _id serial type (0) is tried too and rejected; column 1 starts the record.
    Bytes region = record(sms_row(one_byte(4), text("+4915112345678"), six_bytes(1700000000123), constant(1),
                                  text("Bin gleich da. 🚲")));
    auto found = carve_m(region);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].address, "+4915112345678");
    EXPECT_EQ(found[0].body, "Bin gleich da. 🚲");
    EXPECT_EQ(found[0].date, 1700000000123u);
    EXPECT_EQ(found[0].thread, 4u);
    EXPECT_EQ(found[0].type, 1u);
}

TEST(MessageCarver, RejectsNullDateNullThreadEmptyTextsAndLongSerialTypes) {
    auto row = [](Col thread, Col address, Col date, Col body) {
        return record(sms_row(std::move(thread), std::move(address), std::move(date), one_byte(2), std::move(body)));
    };
    EXPECT_TRUE(carve_m(row(one_byte(4), text("555"), null(), text("no date"))).empty());
    EXPECT_TRUE(carve_m(row(null(), text("555"), six_bytes(1), text("no thread"))).empty());
    EXPECT_TRUE(carve_m(row(text("4"), text("555"), six_bytes(1), text("thread as text"))).empty());
    EXPECT_TRUE(carve_m(row(one_byte(4), text(""), six_bytes(1), text("no address"))).empty());
    EXPECT_TRUE(carve_m(row(one_byte(4), text("555"), six_bytes(1), text(""))).empty());
    // A serial type written in 5 bytes (a padded varint) is not one SQLite
    // writes for a row of a page: the address type 27 as 80 80 80 80 1B.
    Bytes plain = record(sms_row(one_byte(4), text("5551234"), six_bytes(1), one_byte(2), text("padded")), 1);
    ASSERT_EQ(plain[1], 27);
    ASSERT_EQ(carve_m(plain).size(), 1u);
    Bytes padded = plain;
    padded.insert(padded.begin() + 1, {0x80, 0x80, 0x80, 0x80});
    EXPECT_TRUE(carve_m(padded).empty());
}

TEST(MessageCarver, AMisreadPositionClaimingBytesPastTheEndDoesNotHideALaterRecord) {
    // Debris that parses as a header (thread 1-byte, address a 58-byte blob,
    // date, type, body one byte, seen NULL) whose body would lie past the end
    // of the region, followed by an intact record.
    Bytes debris = {0x01, 0x81, 0x00, 0x01, 0x01, 0x0F, 0x00};
    Bytes real = record(sms_row(one_byte(7), text("72345"), six_bytes(1700000000000), one_byte(2), text("Ok 👍")));
    auto found = carve_m(join({debris, real}));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].body, "Ok 👍");
    EXPECT_EQ(found[0].thread, 7u);
}

TEST(TextCheck, AcceptsPhoneTextAndRejectsControlBytesAndMalformedUtf8) {
    auto ok = [](const std::string& s) { return records::passes_text_check({reinterpret_cast<const uint8_t*>(s.data()), s.size()}); };
    for (const char* good : {"a", "Tab\there\r\n", "~", "é", "€", "𝄞", "\xED\x9F\xBF", "\xF4\x8F\xBF\xBF", "\xEE\x80\x80"})
        EXPECT_TRUE(ok(good)) << good;
    const std::string bad[] = {std::string("\0", 1), "\x7F", "\x1B[0m", "\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF",
                               "\xED\xA0\x80", "\xF0\x80\x80\xAF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
                               "\x80", "\xC3", "\xE2\x82", "\xC3\x28"};
    for (const std::string& b : bad) EXPECT_FALSE(ok(b)) << testing::PrintToString(b);
}

TEST(RecordFormat, VarintsSerialTypesAndIntegerFields) {
    using namespace records::sqlite_record;
    uint64_t v = 0;
    Bytes b = {0x81, 0x00};
    EXPECT_EQ(records::sqlite_record::read_varint(b, 0, v), 2u);
    EXPECT_EQ(v, 128u);
    Bytes nine(9, 0xFF);
    EXPECT_EQ(records::sqlite_record::read_varint(nine, 0, v), 9u);
    EXPECT_EQ(v, UINT64_MAX);
    // Continuation bytes at the end: the missing bytes read as zero.
    Bytes cut = {0x10, 0x83};
    EXPECT_EQ(records::sqlite_record::read_varint(cut, 1, v), 2u);
    EXPECT_EQ(v, 3u << 7);
    EXPECT_EQ(records::sqlite_record::read_varint(cut, 5, v), 1u);
    EXPECT_EQ(v, 0u);

    const std::pair<uint64_t, uint64_t> lengths[] = {{0, 0}, {1, 1}, {4, 4}, {5, 6}, {6, 8}, {7, 8}, {8, 0},
                                                     {11, 0}, {12, 0}, {13, 0}, {14, 1}, {15, 1}, {301, 144}};
    for (auto [type, len] : lengths) EXPECT_EQ(records::sqlite_record::serial_type_length(type), len) << type;

    Bytes field = {0x01, 0x8C, 0xCF, 0x3A, 0x2E, 0x7B};
    EXPECT_TRUE(records::sqlite_record::read_unsigned_field(field, 0, 5, v));
    EXPECT_EQ(v, 0x018CCF3A2E7Bu);
    EXPECT_FALSE(records::sqlite_record::read_unsigned_field(field, 1, 5, v));  // one byte short
    EXPECT_FALSE(records::sqlite_record::read_unsigned_field(field, 7, 1, v));
    EXPECT_TRUE(records::sqlite_record::read_unsigned_field(field, 6, 9, v));  // a constant needs no bytes
    EXPECT_EQ(v, 1u);
}

}  // namespace
}  // namespace quen::records
