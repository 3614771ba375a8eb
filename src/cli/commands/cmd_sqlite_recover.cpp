// quenfora-cli sqlite-recover: the schema and every live and recovered record
// of every table of any SQLite database, each with where it was found.
#include <rapidjson/filewritestream.h>
#include <rapidjson/writer.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands/commands.h"
#include "cli/interrupt.h"
#include "cli/output/json_text.h"
#include "cli/output/progress_line.h"
#include "cli/output/records_json.h"
#include "records/recovery/recover.h"

namespace quen::cli {
namespace {

using records::recovery::RecoveredRecord;
using records::recovery::RecoveryResult;
using records::sqlite::Value;
using records::sqlite::ValueType;

struct SqliteRecoverOptions {
    std::string file, wal, journal;
    bool json = false;
};

std::string base64(const std::string& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t at = 0;
    for (; at + 2 < bytes.size(); at += 3) {
        const uint32_t group = (uint32_t{static_cast<uint8_t>(bytes[at])} << 16) |
                               (uint32_t{static_cast<uint8_t>(bytes[at + 1])} << 8) | static_cast<uint8_t>(bytes[at + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) out.push_back(kDigits[(group >> shift) & 63]);
    }
    if (at < bytes.size()) {
        uint32_t group = uint32_t{static_cast<uint8_t>(bytes[at])} << 16;
        if (at + 1 < bytes.size()) group |= uint32_t{static_cast<uint8_t>(bytes[at + 1])} << 8;
        out.push_back(kDigits[(group >> 18) & 63]);
        out.push_back(kDigits[(group >> 12) & 63]);
        out.push_back(at + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=');
        out.push_back('=');
    }
    return out;
}

// --- JSON ---

template <typename Writer>
void write_value(Writer& writer, const std::optional<Value>& value) {
    if (!value) {
        writer.Null();
        return;
    }
    switch (value->type) {
        case ValueType::Null: writer.Null(); break;
        case ValueType::Integer: writer.Int64(value->integer); break;
        case ValueType::Real:
            // JSON has no infinities; they are written as text.
            if (std::isinf(value->real)) writer.String(value->real > 0 ? "Infinity" : "-Infinity");
            else writer.Double(value->real);
            break;
        case ValueType::Text: write_text(writer, value->bytes); break;
        case ValueType::Blob:
            writer.StartObject();
            writer.Key("base64");
            writer.String(base64(value->bytes).c_str());
            writer.EndObject();
            break;
    }
}

template <typename Writer>
void write_record(Writer& writer, const RecoveryResult& result, const RecoveredRecord& record) {
    writer.StartObject();
    writer.Key("table");
    write_text(writer, result.schema.tables[static_cast<size_t>(record.table)].name);
    writer.Key("rowid");
    if (record.rowid) writer.Int64(*record.rowid);
    else writer.Null();
    writer.Key("state");
    writer.String(record.deleted ? "deleted" : "live");
    write_origin_members(writer, records::recovery::origin_of(record));
    writer.Key("values");
    writer.StartArray();
    for (const auto& value : record.values) write_value(writer, value);
    writer.EndArray();
    if (record.partial) {
        // Which of the nulls above stand for values that were not recovered.
        writer.Key("unknown");
        writer.StartArray();
        for (size_t column = 0; column < record.values.size(); ++column)
            if (!record.values[column]) writer.Uint(static_cast<unsigned>(column));
        writer.EndArray();
    }
    writer.EndObject();
}

void print_json(const RecoveryResult& result) {
    char buffer[65536];
    rapidjson::FileWriteStream stream(stdout, buffer, sizeof buffer);
    rapidjson::Writer<rapidjson::FileWriteStream> writer(stream);
    writer.StartObject();
    writer.Key("file");
    write_text(writer, result.file);
    write_number(writer, "page_size", result.page_size);
    writer.Key("encoding");
    writer.String(records::sqlite::encoding_name(result.encoding));
    writer.Key("tables");
    writer.StartArray();
    for (const auto& table : result.schema.tables) {
        if (records::recovery::is_internal_table(table.name)) continue;
        writer.StartObject();
        write_text_member(writer, "name", table.name);
        write_number(writer, "root_page", table.root_page);
        writer.Key("columns");
        writer.StartArray();
        for (const auto& column : table.columns) write_text(writer, column.name);
        writer.EndArray();
        write_flag(writer, "without_rowid", table.without_rowid);
        write_flag(writer, "dropped", table.dropped);
        writer.EndObject();
    }
    writer.EndArray();
    writer.Key("records");
    writer.StartArray();
    for (const auto& record : result.records) write_record(writer, result, record);
    writer.EndArray();
    writer.Key("notes");
    writer.StartArray();
    for (const auto& note : result.notes) write_text(writer, note);
    writer.EndArray();
    writer.EndObject();
    stream.Flush();
    std::fputc('\n', stdout);
}

// --- text ---

std::string value_text(const std::optional<Value>& value) {
    if (!value) return "?";
    switch (value->type) {
        case ValueType::Null: return "NULL";
        case ValueType::Integer: return std::to_string(value->integer);
        case ValueType::Real: {
            char text[40];
            std::snprintf(text, sizeof text, "%.17g", value->real);
            return text;
        }
        case ValueType::Text: return "'" + printable_text(value->bytes) + "'";
        case ValueType::Blob: {
            std::string hex = "x'";
            static const char kHex[] = "0123456789abcdef";
            for (unsigned char byte : value->bytes) {
                hex.push_back(kHex[byte >> 4]);
                hex.push_back(kHex[byte & 15]);
            }
            return hex + "'";
        }
    }
    return "?";
}

void print_text(const RecoveryResult& result) {
    std::printf("file: %s\npage size: %u, encoding: %s\n", printable_text(result.file).c_str(), result.page_size,
                records::sqlite::encoding_name(result.encoding));
    for (const auto& table : result.schema.tables) {
        if (records::recovery::is_internal_table(table.name)) continue;
        std::string columns;
        for (const auto& column : table.columns) columns += (columns.empty() ? "" : ", ") + printable_text(column.name);
        std::printf("table %s (root %u%s%s): %s\n", printable_text(table.name).c_str(), table.root_page,
                    table.without_rowid ? ", WITHOUT ROWID" : "", table.dropped ? ", dropped" : "", columns.c_str());
    }
    size_t deleted = 0;
    for (const auto& record : result.records) deleted += record.deleted;
    std::printf("records: %zu live, %zu deleted\n", result.records.size() - deleted, deleted);
    for (const auto& record : result.records) {
        std::string line = printable_text(result.schema.tables[static_cast<size_t>(record.table)].name);
        line += " rowid " + (record.rowid ? std::to_string(*record.rowid) : std::string("?"));
        line += record.deleted ? " deleted " : " live ";
        line += records::recovery::source_name(record.source);
        line += " page " + std::to_string(record.page) + " offset " + std::to_string(record.offset);
        if (record.frame) line += " frame " + std::to_string(record.frame);
        if (record.partial) line += " partial";
        line += ":";
        for (size_t column = 0; column < record.values.size(); ++column)
            line += (column ? ", " : " ") + value_text(record.values[column]);
        std::printf("%s\n", line.c_str());
    }
    for (const auto& note : result.notes) std::fprintf(stderr, "quenfora-cli: sqlite-recover: %s\n", note.c_str());
}

int run_sqlite_recover(const SqliteRecoverOptions& o, const Globals& g) {
    // The log and journal beside the file are read unless others are given.
    records::recovery::RecoveryFiles files = records::recovery::files_beside(o.file);
    if (!o.wal.empty()) files.wal = o.wal;
    if (!o.journal.empty()) files.journal = o.journal;
    if (!g.quiet) {
        if (!files.wal.empty()) std::fprintf(stderr, "quenfora-cli: sqlite-recover: log %s\n", files.wal.c_str());
        if (!files.journal.empty())
            std::fprintf(stderr, "quenfora-cli: sqlite-recover: journal %s\n", files.journal.c_str());
    }

    ProgressLine progress(g.quiet);
    InterruptFlag interrupt;  // Ctrl-C stops the search; what was found is printed
    records::recovery::RecoveryOptions options;
    bool stopped = false;
    options.progress = [&](uint64_t done, uint64_t total) {
        progress.bytes(done, total, "searching");
        stopped = InterruptFlag::raised();
        return !stopped;
    };
    RecoveryResult result;
    std::string error;
    const bool read = records::recovery::recover_database(files, options, result, error);
    progress.finish();
    if (!read) {
        std::fprintf(stderr, "quenfora-cli: sqlite-recover: %s\n", error.c_str());
        return kExitFailed;
    }
    // Without a header, and with nothing that reads as a table or a record,
    // the file is no SQLite database at all: say so rather than print nothing.
    if (!result.header_found && result.records.empty()) {
        std::fprintf(stderr, "quenfora-cli: sqlite-recover: %s: not an SQLite database (no valid header, and no "
                             "page reads as one)\n", o.file.c_str());
        return kExitFailed;
    }
    if (o.json) {
        print_json(result);
        if (!g.quiet)
            for (const auto& note : result.notes) std::fprintf(stderr, "quenfora-cli: sqlite-recover: %s\n", note.c_str());
    } else {
        print_text(result);
    }
    if (std::fflush(stdout) != 0) return kExitFailed;
    return stopped ? kExitStopped : kExitDone;
}

}  // namespace

Command add_sqlite_recover_command(CLI::App& app, const Globals& g) {
    Command c;
    c.sub = app.add_subcommand("sqlite-recover",
                               "Print the schema and every live and recovered record of every table of any "
                               "SQLite database, each with where it was found");
    auto o = std::make_shared<SqliteRecoverOptions>();
    c.sub->add_option("FILE", o->file, "The database file")->required()->check(CLI::ExistingFile);
    c.sub->add_option("--wal", o->wal, "Its write-ahead log (default: FILE-wal when it exists)")
        ->check(CLI::ExistingFile);
    c.sub->add_option("--journal", o->journal, "Its rollback journal (default: FILE-journal when it exists)")
        ->check(CLI::ExistingFile);
    c.sub->add_flag("--json", o->json, "Print one JSON document");
    c.run = [o, &g]() { return run_sqlite_recover(*o, g); };
    return c;
}

}  // namespace quen::cli
