#include "records/readers/android_tables.h"

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>

#include "records/model/mimetype_tables.h"
#include "records/recovery/recover.h"

namespace quen::records {

namespace {

using recovery::RecoveredRecord;
using recovery::RecoveryResult;
using sqlite::Value;
using sqlite::ValueType;

// Runs the engine on `path` with its log and journal, for `tables` only.
// Nothing to read (no such file, or an empty one, which SQLite takes for an
// empty database) gives no result. A file that is there but cannot be read,
// or in which nothing reads as a database, throws: the user must hear that
// the copy is unusable rather than see a phone without records.
std::optional<RecoveryResult> recover(const std::string& path, std::vector<std::string> tables) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size == 0) return std::nullopt;
    recovery::RecoveryOptions options;
    options.tables = std::move(tables);
    RecoveryResult result;
    std::string message;
    if (!recovery::recover_database(recovery::files_beside(path), options, result, message))
        throw std::runtime_error(path + ": " + message);
    if (!result.header_found && result.records.empty())
        throw std::runtime_error(path + ": not an SQLite database (no valid header, and no page reads as one)");
    return result;
}

// Column positions of one table, by name.
class Columns {
public:
    Columns(const RecoveryResult& result, const char* table) {
        const int index = result.schema.find_table(table);
        if (index < 0) return;
        table_ = index;
        for (size_t column = 0; column < result.schema.tables[static_cast<size_t>(index)].columns.size(); ++column)
            names_[result.schema.tables[static_cast<size_t>(index)].columns[column].name] = static_cast<int>(column);
    }
    int table() const { return table_; }
    int operator[](const char* name) const {
        const auto found = names_.find(name);
        return found == names_.end() ? -1 : found->second;
    }

private:
    int table_ = -1;
    std::map<std::string, int> names_;
};

const Value* value_at(const RecoveredRecord& record, int column) {
    if (column < 0 || static_cast<size_t>(column) >= record.values.size() || !record.values[static_cast<size_t>(column)])
        return nullptr;
    return &*record.values[static_cast<size_t>(column)];
}

std::optional<int64_t> integer_at(const RecoveredRecord& record, int column) {
    const Value* value = value_at(record, column);
    if (!value) return std::nullopt;
    if (value->type == ValueType::Integer) return value->integer;
    if (value->type == ValueType::Real) return static_cast<int64_t>(value->real);
    return std::nullopt;
}

// Texts as stored; a number in a text column as SQLite would give it back.
std::optional<std::string> text_at(const RecoveredRecord& record, int column) {
    const Value* value = value_at(record, column);
    if (!value) return std::nullopt;
    switch (value->type) {
        case ValueType::Null: return std::string();
        case ValueType::Integer: return std::to_string(value->integer);
        default: return value->bytes;
    }
}

}  // namespace

ContactsDatabase read_contacts_database(const std::string& path) {
    ContactsDatabase out;
    const auto result = recover(path, {"mimetypes", "data", "raw_contacts"});
    if (!result) return out;
    const Columns mimetypes(*result, "mimetypes"), data(*result, "data"), raw(*result, "raw_contacts");
    std::map<int32_t, std::string> texts;
    for (const RecoveredRecord& record : result->records) {
        if (record.table != mimetypes.table() || record.deleted) continue;
        const auto id = integer_at(record, mimetypes["_id"]);
        const auto text = text_at(record, mimetypes["mimetype"]);
        if (!id || !text) continue;
        out.mimetypes.push_back({static_cast<int32_t>(*id), *text});
        texts[static_cast<int32_t>(*id)] = *text;
    }
    for (const RecoveredRecord& record : result->records) {
        if (record.table == data.table()) {
            const auto raw_contact = integer_at(record, data["raw_contact_id"]);
            const auto mimetype = integer_at(record, data["mimetype_id"]);
            const auto data1 = text_at(record, data["data1"]);
            // A row of no contact, or a deleted one without its value, tells nothing.
            if (!raw_contact || (record.deleted && (!data1 || data1->empty()))) continue;
            ContactValueRow row;
            row.raw_contact_id = *raw_contact;
            row.mimetype_id = mimetype ? static_cast<int32_t>(*mimetype) : 0;
            if (const auto text = texts.find(row.mimetype_id); mimetype && text != texts.end()) {
                row.kind = kind_for_mimetype(text->second);
                row.kind_known = true;
            }
            row.data1 = data1.value_or("");
            row.origin = origin_of(record);
            (record.deleted ? out.deleted : out.live).push_back(std::move(row));
        } else if (record.table == raw.table()) {
            const auto id = integer_at(record, raw["_id"]);
            if (!id) continue;
            if (!record.deleted) {
                if (integer_at(record, raw["deleted"]).value_or(0) == 1) out.deleted_on_phone.insert(*id);
                continue;
            }
            // A deleted raw contact keeps its display name.
            const auto name = text_at(record, raw["display_name"]);
            if (!name || name->empty()) continue;
            ContactValueRow row;
            row.raw_contact_id = *id;
            row.kind = field_kind::kName;
            row.kind_known = true;
            row.data1 = *name;
            row.origin = origin_of(record);
            out.deleted.push_back(std::move(row));
        }
    }
    return out;
}

MessagesDatabase read_messages_database(const std::string& path) {
    MessagesDatabase out;
    const auto result = recover(path, {"sms"});
    if (!result) return out;
    const Columns sms(*result, "sms");
    const int thread = sms["thread_id"], address = sms["address"], date = sms["date"], type = sms["type"],
              body = sms["body"];
    for (const RecoveredRecord& record : result->records) {
        if (record.table != sms.table()) continue;
        SmsRow row;
        const auto body_text = text_at(record, body), address_text = text_at(record, address);
        // A deleted message that kept neither its text nor its number is nothing to show.
        if (record.deleted && body_text.value_or("").empty() && address_text.value_or("").empty()) continue;
        row.thread_id = integer_at(record, thread).value_or(0);
        row.address = address_text.value_or("");
        const Value* date_value = value_at(record, date);
        if (date_value && date_value->type != ValueType::Null) {
            row.has_date = true;
            row.date_millis = integer_at(record, date).value_or(0);
        }
        row.type = static_cast<int32_t>(integer_at(record, type).value_or(0));
        row.body = body_text.value_or("");
        row.origin = origin_of(record);
        (record.deleted ? out.deleted : out.live).push_back(std::move(row));
    }
    return out;
}

}  // namespace quen::records
