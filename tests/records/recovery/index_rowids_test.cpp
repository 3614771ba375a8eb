// A deleted row whose cell lost its rowid, and the index entry that still
// names it: joined into one record only when neither side could belong to
// another.
#include <gtest/gtest.h>

#include "records/recovery/index_entries.h"

namespace quen::records::recovery {
namespace {

using sqlite::Value;

RecoveredRecord record(std::optional<int64_t> rowid, RecordSource source, std::vector<std::optional<Value>> values) {
    RecoveredRecord out;
    out.table = 0;
    out.rowid = rowid;
    out.deleted = true;
    out.source = source;
    out.partial = true;
    out.values = std::move(values);
    return out;
}

TEST(IndexRowids, OneRowAndOneEntryAgreeingAreOneRecordAmbiguousOnesStayApart) {
    Schema schema;
    Table table;
    table.name = "m";
    table.columns.resize(3);
    table.rowid_alias = 0;
    schema.tables.push_back(table);

    const auto text = [](const char* s) { return std::optional<Value>(Value::of_text(s)); };
    const auto number = [](int64_t n) { return std::optional<Value>(Value::of_integer(n)); };
    std::vector<RecoveredRecord> records = {
        // Joined: one rowid-less row, one entry with its date.
        record(std::nullopt, RecordSource::Freeblock, {std::nullopt, text("alone"), number(1000)}),
        record(41, RecordSource::Index, {number(41), std::nullopt, number(1000)}),
        // Two rows share the entry's date: which one it names is unknown.
        record(std::nullopt, RecordSource::Freeblock, {std::nullopt, text("twin a"), number(2000)}),
        record(std::nullopt, RecordSource::Wal, {std::nullopt, text("twin b"), number(2000)}),
        record(42, RecordSource::Index, {number(42), std::nullopt, number(2000)}),
        // An entry whose value no row holds stays as it is.
        record(43, RecordSource::Index, {number(43), std::nullopt, number(3000)}),
    };
    give_rowids_from_index_entries(schema, records);

    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].rowid, 41);
    EXPECT_EQ(records[0].values[0], number(41));  // the alias column carries it
    EXPECT_FALSE(records[0].partial);
    EXPECT_EQ(records[0].source, RecordSource::Freeblock);
    EXPECT_FALSE(records[1].rowid);
    EXPECT_FALSE(records[2].rowid);
    EXPECT_EQ(records[3].rowid, 42);
    EXPECT_EQ(records[3].source, RecordSource::Index);
    EXPECT_EQ(records[4].rowid, 43);
}

}  // namespace
}  // namespace quen::records::recovery
