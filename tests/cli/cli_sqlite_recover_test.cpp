// quenfora-cli sqlite-recover on generated cases with answer keys: the JSON
// contract (schema, records with their state, source and place, values by
// type, blobs in base64, the rowid alias carrying the rowid), texts of a
// UTF-16 database as UTF-8, and clear failures.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "test_support/cli_run.h"
#include "test_support/files.h"

namespace {

namespace fs = std::filesystem;
using quen::test::kCliProgram;
using quen::test::shell_quote;

const std::string kMakeCases = QUEN_BINARY_DIR "/tools/make-sqlite-cases/make-sqlite-cases";

rapidjson::Document parse(const std::string& text) {
    rapidjson::Document document;
    document.Parse<rapidjson::kParseFullPrecisionFlag>(text.c_str());
    return document;
}

std::string base64_decode(const std::string& text) {
    static const std::string kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=') break;
        bits = (bits << 6) | static_cast<uint32_t>(kDigits.find(c));
        if ((count += 6) >= 8) out.push_back(static_cast<char>((bits >> (count -= 8)) & 0xFF));
    }
    return out;
}

std::string hex_decode(const std::string& hex) {
    std::string out;
    for (size_t at = 0; at + 1 < hex.size(); at += 2) out.push_back(static_cast<char>(std::stoi(hex.substr(at, 2), nullptr, 16)));
    return out;
}

class CliSqliteRecover : public ::testing::Test {
protected:
    fs::path make_case(const std::string& name) {
        const auto [out, rc] = quen::test::run_command(shell_quote(kMakeCases) + " " + shell_quote(dir_.path()) +
                                                       " --case " + name + " 2>&1");
        EXPECT_EQ(rc, 0) << out;
        for (const auto& entry : fs::recursive_directory_iterator(dir_.path()))
            if (entry.path().filename() == name + ".db") return entry.path();
        ADD_FAILURE() << "no database for " << name;
        return {};
    }
    quen::test::TempDir dir_{"quen-cli-sqlite"};
};

TEST_F(CliSqliteRecover, JsonCarriesSchemaRecordsAndValuesByType) {
    const fs::path db = make_case("blobs");
    const auto [out, rc] = quen::test::run_command(shell_quote(kCliProgram) + " --quiet sqlite-recover " +
                                                   shell_quote(db.string()) + " --json 2>/dev/null");
    ASSERT_EQ(rc, 0);
    const auto doc = parse(out);
    ASSERT_FALSE(doc.HasParseError()) << out.substr(0, 200);
    EXPECT_EQ(std::string(doc["file"].GetString()), db.string());
    EXPECT_EQ(doc["page_size"].GetInt(), 4096);
    EXPECT_EQ(std::string(doc["encoding"].GetString()), "UTF-8");
    ASSERT_EQ(doc["tables"].Size(), 1u);
    const auto& table = doc["tables"][0];
    EXPECT_EQ(std::string(table["name"].GetString()), "photos");
    EXPECT_GT(table["root_page"].GetInt(), 1);
    EXPECT_FALSE(table["without_rowid"].GetBool());
    ASSERT_EQ(table["columns"].Size(), 3u);
    EXPECT_EQ(std::string(table["columns"][2].GetString()), "data");

    // The answer key's rows, by rowid.
    const auto key = parse(quen::test::read_file(db.parent_path() / "blobs.key.json"));
    std::map<int64_t, const rapidjson::Value*> live_rows, gone_rows;
    for (const auto& row : key["live"].GetArray()) live_rows[row["rowid"].GetInt64()] = &row;
    for (const auto& row : key["deleted"].GetArray())
        if (row["survives"].GetBool()) gone_rows[row["rowid"].GetInt64()] = &row;
    ASSERT_FALSE(gone_rows.empty());

    std::set<int64_t> live_seen, gone_seen;
    const std::set<std::string> sources = {"btree", "freeblock", "unallocated", "freelist", "wal",
                                           "journal", "overflow",  "index"};
    for (const auto& record : doc["records"].GetArray()) {
        EXPECT_EQ(std::string(record["table"].GetString()), "photos");
        EXPECT_TRUE(sources.count(record["source"].GetString())) << record["source"].GetString();
        EXPECT_TRUE(record["page"].IsUint());
        EXPECT_TRUE(record["offset"].IsUint());
        EXPECT_TRUE(record["frame"].IsNull());
        const auto& values = record["values"];
        ASSERT_EQ(values.Size(), 3u);
        const bool live = std::string(record["state"].GetString()) == "live";
        if (!record["rowid"].IsInt64()) {
            EXPECT_TRUE(record["partial"].GetBool());
            continue;
        }
        const int64_t rowid = record["rowid"].GetInt64();
        EXPECT_EQ(values[0].GetInt64(), rowid);  // the alias carries the rowid
        const auto& rows = live ? live_rows : gone_rows;
        const auto expected = rows.find(rowid);
        if (expected == rows.end()) continue;
        (live ? live_seen : gone_seen).insert(rowid);
        EXPECT_EQ(std::string(values[1].GetString()), (*expected->second)["values"][1].GetString());
        if (!record["partial"].GetBool()) {
            EXPECT_EQ(base64_decode(values[2]["base64"].GetString()),
                      hex_decode((*expected->second)["values"][2]["hex"].GetString()));
        }
    }
    EXPECT_EQ(live_seen.size(), live_rows.size());
    EXPECT_EQ(gone_seen.size(), gone_rows.size());
}

TEST_F(CliSqliteRecover, Utf16TextsComeOutAsUtf8AndTheTextListingLeadsWithTheSchema) {
    const fs::path db = make_case("utf16be");
    const auto [out, rc] = quen::test::run_command(shell_quote(kCliProgram) + " --quiet sqlite-recover " +
                                                   shell_quote(db.string()) + " --json 2>/dev/null");
    ASSERT_EQ(rc, 0);
    const auto doc = parse(out);
    ASSERT_FALSE(doc.HasParseError());
    EXPECT_EQ(std::string(doc["encoding"].GetString()), "UTF-16be");
    const auto key = parse(quen::test::read_file(db.parent_path() / "utf16be.key.json"));
    std::set<std::string> names;
    for (const auto& row : key["deleted"].GetArray())
        if (row["survives"].GetBool()) names.insert(row["values"][1].GetString());
    size_t found = 0;
    for (const auto& record : doc["records"].GetArray())
        if (std::string(record["state"].GetString()) == "deleted" && record["values"][1].IsString())
            found += names.count(record["values"][1].GetString());
    EXPECT_GE(found, names.size());

    const auto [text, text_rc] = quen::test::run_command(shell_quote(kCliProgram) + " --quiet sqlite-recover " +
                                                         shell_quote(db.string()) + " 2>/dev/null");
    ASSERT_EQ(text_rc, 0);
    EXPECT_EQ(text.rfind("file: " + db.string() + "\npage size: 4096, encoding: UTF-16be\ntable people (root ", 0), 0u)
        << text.substr(0, 200);
}

TEST_F(CliSqliteRecover, MissingFilesAreUsageErrorsAndOtherFilesFail) {
    EXPECT_EQ(quen::test::run_command(shell_quote(kCliProgram) + " sqlite-recover /nonexistent.db 2>/dev/null").second, 2);
    const fs::path text = fs::path(dir_.path()) / "notes.txt";
    quen::test::write_file(text, std::string(10000, 'x'));
    const auto [out, rc] = quen::test::run_command(shell_quote(kCliProgram) + " sqlite-recover " +
                                                   shell_quote(text.string()) + " 2>&1");
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("not an SQLite database"), std::string::npos) << out;
}

}  // namespace
