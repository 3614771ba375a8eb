#include "score.h"

#include <rapidjson/document.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <vector>

#include "records/recovery/recover.h"

namespace quen::recovery_score {

namespace {


namespace fs = std::filesystem;
using quen::records::sqlite::Value;
using quen::records::sqlite::ValueType;

struct KeyRow {
    std::optional<int64_t> rowid;
    std::vector<Value> values;
    bool survives = false;
    bool found = false;
};


Value key_value(const rapidjson::Value& json) {
    if (json.IsNull()) return Value::null();
    if (json.IsInt64()) return Value::of_integer(json.GetInt64());
    if (json.IsNumber()) return Value::of_real(json.GetDouble());
    if (json.IsString()) return Value::of_text(std::string(json.GetString(), json.GetStringLength()));
    std::string bytes;
    const std::string hex = json["hex"].GetString();
    for (size_t at = 0; at + 1 < hex.size(); at += 2) bytes.push_back(static_cast<char>(std::stoi(hex.substr(at, 2), nullptr, 16)));
    return Value::of_blob(bytes);
}

KeyRow key_row(const rapidjson::Value& json) {
    KeyRow row;
    if (json["rowid"].IsInt64()) row.rowid = json["rowid"].GetInt64();
    for (const auto& value : json["values"].GetArray()) row.values.push_back(key_value(value));
    if (json.HasMember("survives")) row.survives = json["survives"].GetBool();
    return row;
}

// Whether the recovered record agrees with the key row: equal rowids when
// both are known, and every value it recovered equal to the key's (a key row
// written before columns were added has fewer values).
bool agrees(const quen::records::recovery::RecoveredRecord& record, const KeyRow& row) {
    if (record.rowid && row.rowid && *record.rowid != *row.rowid) return false;
    for (size_t column = 0; column < row.values.size() && column < record.values.size(); ++column)
        if (record.values[column] && !(*record.values[column] == row.values[column])) return false;
    return true;
}

bool whole(const quen::records::recovery::RecoveredRecord& record) {
    return std::all_of(record.values.begin(), record.values.end(), [](const auto& value) { return value.has_value(); });
}

std::string describe(const quen::records::recovery::RecoveredRecord& record) {
    std::string text = record.rowid ? std::to_string(*record.rowid) : "?";
    text += std::string(" ") + quen::records::recovery::source_name(record.source) + " p" + std::to_string(record.page) +
            "+" + std::to_string(record.offset) + ":";
    for (const auto& value : record.values) {
        if (!value) text += " ?";
        else if (value->type == ValueType::Integer) text += " " + std::to_string(value->integer);
        else if (value->type == ValueType::Text) text += " '" + value->bytes.substr(0, 30) + "'";
        else if (value->type == ValueType::Null) text += " NULL";
        else text += " <" + std::to_string(static_cast<int>(value->type)) + ">";
    }
    return text;
}

}  // namespace

bool score_case(const fs::path& key_path, std::map<std::string, Tally>& tallies, bool verbose, std::FILE* out) {
    std::ifstream in(key_path, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    rapidjson::Document key;
    if (key.Parse<rapidjson::kParseFullPrecisionFlag>(text.c_str()).HasParseError()) {
        std::fprintf(stderr, "recovery-score: %s: not an answer key\n", key_path.c_str());
        return false;
    }
    const fs::path folder = key_path.parent_path();
    auto file = [&](const char* member) {
        return key[member].IsString() ? (folder / key[member].GetString()).string() : std::string();
    };
    quen::records::recovery::RecoveryFiles files{file("database"), file("wal"), file("journal")};
    quen::records::recovery::RecoveryResult result;
    std::string error;
    if (!quen::records::recovery::recover_database(files, {}, result, error)) {
        std::fprintf(stderr, "recovery-score: %s\n", error.c_str());
        return false;
    }
    std::map<std::string, std::vector<KeyRow>> gone, live;
    for (const auto& row : key["deleted"].GetArray()) gone[row["table"].GetString()].push_back(key_row(row));
    for (const auto& row : key["live"].GetArray()) live[row["table"].GetString()].push_back(key_row(row));

    Tally& tally = tallies[key["family"].GetString()];
    ++tally.cases;
    const std::string name = key["case"].GetString();
    std::set<std::string> keyed;
    for (const auto& table : key["tables"].GetArray()) keyed.insert(table["name"].GetString());
    for (const auto& record : result.records) {
        const std::string table = result.schema.tables[static_cast<size_t>(record.table)].name;
        if (!record.deleted) continue;
        ++tally.reported;
        // A table the case never wrote to holds no deleted rows.
        if (!keyed.count(table)) {
            ++tally.unknown_table;
            if (verbose) std::fprintf(out, "  %s: in a table of no rows: %s %s\n", name.c_str(), table.c_str(), describe(record).c_str());
            continue;
        }
        KeyRow* match = nullptr;
        for (KeyRow& row : gone[table])
            if (agrees(record, row) && (!match || (!match->survives && row.survives) || (match->found && !row.found)))
                match = &row;
        if (match) {
            ++tally.correct;
            if (!match->found && match->survives) {
                ++tally.recalled;
                tally.recalled_whole += whole(record);
            }
            match->found = true;
            continue;
        }
        bool is_live = false;
        for (const KeyRow& row : live[table]) is_live = is_live || agrees(record, row);
        tally.live_as_deleted += is_live;
        if (verbose)
            std::fprintf(out, "  %s: %s %s %s\n", name.c_str(), is_live ? "LIVE SHOWN DELETED" : "not deleted:", table.c_str(),
                        describe(record).c_str());
    }
    for (auto& [table, rows] : gone)
        for (const KeyRow& row : rows) {
            tally.surviving += row.survives;
            if (verbose && row.survives && !row.found) {
                std::string values;
                for (const Value& value : row.values)
                    values += value.type == ValueType::Text ? " '" + value.bytes.substr(0, 30) + "'"
                              : value.type == ValueType::Integer ? " " + std::to_string(value.integer)
                                                                 : " .";
                std::fprintf(out, "  %s: missed %s %s:%s\n", name.c_str(), table.c_str(),
                            row.rowid ? std::to_string(*row.rowid).c_str() : "?", values.c_str());
            }
        }
    return true;
}

void Tally::add(const Tally& other) {
    cases += other.cases, surviving += other.surviving, recalled += other.recalled;
    recalled_whole += other.recalled_whole, reported += other.reported, correct += other.correct;
    live_as_deleted += other.live_as_deleted, unknown_table += other.unknown_table;
}

namespace {
double percent(long part, long whole) { return whole ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 100.0; }
}  // namespace

double Tally::recall() const { return percent(recalled, surviving); }
double Tally::precision() const { return percent(correct, reported); }

void print_tallies(const std::map<std::string, Tally>& tallies, std::FILE* out) {
    std::fprintf(out, "%-40s %5s %9s %9s %8s %8s %9s %10s %5s\n", "family", "cases", "surviving", "recalled", "recall",
                 "whole", "reported", "precision", "live");
    Tally all;
    auto line = [&](const std::string& family, const Tally& t) {
        std::fprintf(out, "%-40s %5d %9ld %9ld %7.1f%% %7.1f%% %9ld %9.1f%% %5ld\n", family.c_str(), t.cases, t.surviving,
                     t.recalled, t.recall(), percent(t.recalled_whole, t.recalled), t.reported, t.precision(),
                     t.live_as_deleted);
    };
    for (const auto& [family, tally] : tallies) {
        line(family, tally);
        all.add(tally);
    }
    line("all", all);
}

}  // namespace quen::recovery_score
