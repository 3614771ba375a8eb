#include "answer_key.h"

#include <rapidjson/ostreamwrapper.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace quen::sqlite_cases {

namespace {

namespace fs = std::filesystem;
using Writer = rapidjson::Writer<rapidjson::OStreamWrapper>;

void append_big_endian(std::string& out, uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// UTF-8 text as UTF-16 in the given byte order.
std::string utf16(const std::string& text, bool big_endian) {
    std::string out;
    auto unit = [&](uint32_t code) {
        const char high = static_cast<char>(code >> 8), low = static_cast<char>(code & 0xFF);
        out.push_back(big_endian ? high : low);
        out.push_back(big_endian ? low : high);
    };
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<uint8_t>(text[at]);
        uint32_t code = byte;
        int extra = 0;
        if (byte >= 0xF0) code = byte & 0x07, extra = 3;
        else if (byte >= 0xE0) code = byte & 0x0F, extra = 2;
        else if (byte >= 0xC0) code = byte & 0x1F, extra = 1;
        for (int index = 1; index <= extra && at + index < text.size(); ++index)
            code = (code << 6) | (static_cast<uint8_t>(text[at + index]) & 0x3F);
        at += 1 + extra;
        if (code >= 0x10000) {
            code -= 0x10000;
            unit(0xD800 + (code >> 10));
            unit(0xDC00 + (code & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out;
}

std::string read_whole(const std::string& path) {
    if (path.empty()) return {};
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_value(Writer& writer, const Value& value) {
    if (auto number = std::get_if<int64_t>(&value)) writer.Int64(*number);
    else if (auto real = std::get_if<double>(&value)) writer.Double(*real);
    else if (auto text = std::get_if<std::string>(&value))
        writer.String(text->data(), static_cast<rapidjson::SizeType>(text->size()));
    else if (auto blob = std::get_if<Blob>(&value)) {
        static const char kHex[] = "0123456789abcdef";
        std::string hex;
        for (unsigned char byte : blob->bytes) hex += {kHex[byte >> 4], kHex[byte & 15]};
        writer.StartObject();
        writer.Key("hex");
        writer.String(hex.c_str());
        writer.EndObject();
    } else writer.Null();
}

void write_row(Writer& writer, const std::string& table, const RowVersion& row) {
    writer.Key("table");
    writer.String(table.c_str());
    writer.Key("rowid");
    if (row.rowid) writer.Int64(*row.rowid);
    else writer.Null();
    writer.Key("values");
    writer.StartArray();
    for (const Value& value : row.values) write_value(writer, value);
    writer.EndArray();
}

std::string relative_to(const std::string& path, const fs::path& folder) {
    if (path.empty()) return {};
    return fs::relative(path, folder).string();
}

}  // namespace

std::string record_body(const TableShape& shape, const RowVersion& row, const std::string& encoding,
                        size_t stored) {
    std::string body;
    for (size_t position = 0; position < shape.stored.size(); ++position) {
        const int column = shape.stored[position];
        if (stored != 0 && position >= stored) break;
        if (column == shape.rowid_alias || column < 0 || static_cast<size_t>(column) >= row.values.size()) continue;
        const Value& value = row.values[static_cast<size_t>(column)];
        if (auto number = std::get_if<int64_t>(&value)) {
            const int64_t n = *number;
            if (n == 0 || n == 1) continue;
            const uint64_t magnitude = n < 0 ? ~static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
            int bytes = 8;
            if (magnitude <= 0x7F) bytes = 1;
            else if (magnitude <= 0x7FFF) bytes = 2;
            else if (magnitude <= 0x7FFFFF) bytes = 3;
            else if (magnitude <= 0x7FFFFFFF) bytes = 4;
            else if (magnitude <= 0x7FFFFFFFFFFF) bytes = 6;
            append_big_endian(body, static_cast<uint64_t>(n), bytes);
        } else if (auto real = std::get_if<double>(&value)) {
            uint64_t bits = 0;
            std::memcpy(&bits, &*real, sizeof bits);
            append_big_endian(body, bits, 8);
        } else if (auto text = std::get_if<std::string>(&value)) {
            body += encoding == "UTF-8" ? *text : utf16(*text, encoding == "UTF-16be");
        } else if (auto blob = std::get_if<Blob>(&value)) {
            body += blob->bytes;
        }
    }
    return body;
}

void AnswerKey::capture(TrackedDb& db, bool keep_live) {
    std::vector<Table> before = std::move(tables_);
    tables_.clear();
    for (const auto& [name, versions] : db.history()) {
        Table table;
        table.name = name;
        table.shape = db.shape(name);
        if (table.shape.columns.empty()) table.shape = db.last_shape(name);  // a dropped table
        table.live = db.rows(name);
        if (keep_live)
            for (const Table& old : before)
                if (old.name == name) table.live = old.live;
        // A version read before columns were added is the same row as the
        // longer one read after (same rowid, its values a prefix): only the
        // longer one counts, and its record on disk is as long as the shorter.
        auto extends = [](const RowVersion& longer, const RowVersion& shorter) {
            return longer.rowid && longer.rowid == shorter.rowid && longer.values.size() > shorter.values.size() &&
                   std::equal(shorter.values.begin(), shorter.values.end(), longer.values.begin());
        };
        for (const RowVersion& version : versions) {
            if (std::find(table.live.begin(), table.live.end(), version) != table.live.end()) continue;
            bool shorter_copy = false;
            for (const RowVersion& other : versions) shorter_copy = shorter_copy || extends(other, version);
            for (const RowVersion& other : table.live) shorter_copy = shorter_copy || extends(other, version);
            if (shorter_copy) continue;
            Gone gone{version, 0};
            for (const RowVersion& other : versions)
                if (extends(version, other) && (gone.stored == 0 || other.values.size() < gone.stored))
                    gone.stored = other.values.size();
            table.gone.push_back(std::move(gone));
        }
        tables_.push_back(std::move(table));
    }
}

bool AnswerKey::write(const std::string& path, const CaseFiles& files, const std::string& encoding) const {
    const std::string haystack = read_whole(files.database) + read_whole(files.wal) + read_whole(files.journal);
    const fs::path folder = fs::path(path).parent_path();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    rapidjson::OStreamWrapper stream(out);
    Writer writer(stream);
    writer.StartObject();
    writer.Key("family");
    writer.String(family_.c_str());
    writer.Key("case");
    writer.String(name_.c_str());
    for (const auto& [key, file] : {std::pair{"database", &files.database}, {"wal", &files.wal}, {"journal", &files.journal}}) {
        writer.Key(key);
        if (file->empty()) writer.Null();
        else writer.String(relative_to(*file, folder).c_str());
    }
    writer.Key("encoding");
    writer.String(encoding.c_str());
    writer.Key("tables");
    writer.StartArray();
    for (const Table& table : tables_) {
        writer.StartObject();
        writer.Key("name");
        writer.String(table.name.c_str());
        writer.Key("columns");
        writer.StartArray();
        for (const std::string& column : table.shape.columns) writer.String(column.c_str());
        writer.EndArray();
        writer.EndObject();
    }
    writer.EndArray();
    writer.Key("live");
    writer.StartArray();
    for (const Table& table : tables_)
        for (const RowVersion& row : table.live) {
            writer.StartObject();
            write_row(writer, table.name, row);
            writer.EndObject();
        }
    writer.EndArray();
    surviving_ = 0;
    writer.Key("deleted");
    writer.StartArray();
    for (const Table& table : tables_)
        for (const Gone& gone : table.gone) {
            const RowVersion& row = gone.row;
            const bool survives = AnswerKey::survives(table, gone, haystack, encoding);
            surviving_ += survives;
            writer.StartObject();
            write_row(writer, table.name, row);
            writer.Key("survives");
            writer.Bool(survives);
            writer.EndObject();
        }
    writer.EndArray();
    writer.EndObject();
    out << '\n';
    return static_cast<bool>(out);
}

bool AnswerKey::survives(const Table& table, const Gone& gone, const std::string& haystack, const std::string& encoding) {
    const std::string body = record_body(table.shape, gone.row, encoding, gone.stored);
    // A body of a few bytes is found anywhere by chance: it cannot be told to
    // survive.
    if (body.size() < 4) return false;
    auto occurrences = [](const std::string& text, const std::string& part) {
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
        return count;
    };
    // A long body spills into overflow pages, so it is not found whole: it
    // survives when every stretch of 128 bytes of it is found.
    if (body.size() > 1000) {
        for (size_t at = 0; at + 64 <= body.size(); at += 128)
            if (haystack.find(body.substr(at, 64)) == std::string::npos) return false;
        return haystack.find(body.substr(body.size() - 64)) != std::string::npos;
    }
    // An old version whose bytes lie inside a live row's (a value that was
    // only extended) is no deleted record that survives: it must be found
    // more often than the live rows hold it.
    size_t in_live = 0;
    for (const RowVersion& live : table.live) in_live += occurrences(record_body(table.shape, live, encoding), body);
    return occurrences(haystack, body) > in_live;
}

std::vector<std::pair<RowVersion, bool>> AnswerKey::gone_rows(const std::string& name, const CaseFiles& files,
                                                              const std::string& encoding) const {
    const std::string haystack = read_whole(files.database) + read_whole(files.wal) + read_whole(files.journal);
    std::vector<std::pair<RowVersion, bool>> rows;
    for (const Table& table : tables_)
        if (table.name == name)
            for (const Gone& gone : table.gone) rows.emplace_back(gone.row, survives(table, gone, haystack, encoding));
    return rows;
}

}  // namespace quen::sqlite_cases
