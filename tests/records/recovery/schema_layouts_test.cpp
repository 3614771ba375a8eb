// Column layouts from CREATE statements: what SQLite stores where, the rowid
// alias by SQLite's own rules, WITHOUT ROWID key order, Android's collations;
// and statements that must not run.
#include <gtest/gtest.h>

#include "records/recovery/sql_layouts.h"

namespace quen::records::recovery {
namespace {

std::vector<std::string> stored_names(const Table& table) {
    std::vector<std::string> names;
    for (int column : table.stored) names.push_back(table.columns[static_cast<size_t>(column)].name);
    return names;
}

TEST(SqlLayouts, RowidAliasAffinitiesAndStoredOrder) {
    auto t = table_from_sql("CREATE TABLE \"a b\" (id INTEGER PRIMARY KEY, n INT, t VARCHAR(9), r DOUBLE, x, d DECIMAL,"
                            " s TEXT COLLATE PHONEBOOK NOT NULL DEFAULT 'z', g AS (n + 1))");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->name, "a b");
    EXPECT_EQ(t->rowid_alias, 0);
    EXPECT_TRUE(t->columns[0].rowid_alias);
    EXPECT_EQ(t->columns[1].affinity, Affinity::Integer);
    EXPECT_EQ(t->columns[2].affinity, Affinity::Text);
    EXPECT_EQ(t->columns[3].affinity, Affinity::Real);
    EXPECT_EQ(t->columns[4].affinity, Affinity::Blob);
    EXPECT_EQ(t->columns[5].affinity, Affinity::Numeric);
    EXPECT_TRUE(t->columns[6].not_null);
    EXPECT_EQ(t->columns[6].default_value.bytes, "z");
    // The generated VIRTUAL column is not in the record.
    EXPECT_EQ(stored_names(*t), (std::vector<std::string>{"id", "n", "t", "r", "x", "d", "s"}));

    // Not aliases: INT (not INTEGER), DESC, a key of two columns.
    for (const char* sql : {"CREATE TABLE t (id INT PRIMARY KEY, v)", "CREATE TABLE t (id INTEGER PRIMARY KEY DESC, v)",
                            "CREATE TABLE t (a INTEGER, b, PRIMARY KEY (a, b))"}) {
        auto other = table_from_sql(sql);
        ASSERT_TRUE(other) << sql;
        EXPECT_EQ(other->rowid_alias, -1) << sql;
    }
    // A key after other columns still makes the alias.
    EXPECT_EQ(table_from_sql("CREATE TABLE t (v TEXT, id INTEGER, PRIMARY KEY (id))")->rowid_alias, 1);
}

TEST(SqlLayouts, WithoutRowidStoresTheKeyFirst) {
    auto t = table_from_sql("CREATE TABLE kv (v TEXT, k2 INT, k1 TEXT, w, PRIMARY KEY (k1, k2)) WITHOUT ROWID");
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->without_rowid);
    EXPECT_EQ(t->rowid_alias, -1);
    EXPECT_EQ(stored_names(*t), (std::vector<std::string>{"k1", "k2", "v", "w"}));
}

TEST(SqlLayouts, OnlyCreateTableRunsAndIndexKeysAreFound) {
    for (const char* sql : {"DROP TABLE x", "CREATE VIEW v AS SELECT 1", "CREATE VIRTUAL TABLE f USING fts4(a)",
                            "CREATE TABLE t (a); ATTACH 'x.db' AS x", "CREATE TABLE t (a", ""})
        EXPECT_FALSE(table_from_sql(sql)) << sql;
    const std::string table_sql = "CREATE TABLE data (_id INTEGER PRIMARY KEY, mimetype_id INTEGER, data1 TEXT, u TEXT UNIQUE)";
    auto table = table_from_sql(table_sql);
    ASSERT_TRUE(table);
    EXPECT_EQ(index_key_columns(table_sql, "CREATE INDEX i ON data (mimetype_id, data1)", "i", *table),
              (std::vector<int>{1, 2}));
    EXPECT_EQ(index_key_columns(table_sql, "CREATE INDEX i ON data (lower(data1))", "i", *table), (std::vector<int>{-1}));
    // SQLite's own index of a UNIQUE column has no statement.
    EXPECT_EQ(index_key_columns(table_sql, "", "sqlite_autoindex_data_1", *table), (std::vector<int>{3}));
    EXPECT_TRUE(index_key_columns(table_sql, "ATTACH 'x.db' AS x", "i", *table).empty());
}

}  // namespace
}  // namespace quen::records::recovery
