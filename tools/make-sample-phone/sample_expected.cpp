// The sample's expectations as JSON, beside the databases.
#include <rapidjson/ostreamwrapper.h>
#include <rapidjson/prettywriter.h>

#include <array>
#include <fstream>

#include "sample_phone.h"

namespace quen::sample_phone {

namespace {

using Writer = rapidjson::PrettyWriter<rapidjson::OStreamWrapper>;

void put(Writer& writer, const char* key, const std::string& text) {
    writer.Key(key);
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

void put_number(Writer& writer, const char* key, int64_t number) {
    writer.Key(key);
    writer.Int64(number);
}

// `key`: an array with one object per item, whose members `put_members` writes.
template <typename Item, typename PutMembers>
void put_objects(Writer& writer, const char* key, const std::vector<Item>& list, PutMembers&& put_members) {
    writer.Key(key);
    writer.StartArray();
    for (const Item& item : list) {
        writer.StartObject();
        put_members(item);
        writer.EndObject();
    }
    writer.EndArray();
}

void values(Writer& writer, const char* key, const std::vector<ContactValue>& list) {
    put_objects(writer, key, list, [&](const ContactValue& value) {
        put_number(writer, "raw_contact_id", value.raw_contact_id);
        put_number(writer, "mimetype_id", value.mimetype_id);
        put(writer, "mimetype", value.mimetype);
        put(writer, "data1", value.data1);
    });
}

void messages(Writer& writer, const char* key, const std::vector<Message>& list) {
    put_objects(writer, key, list, [&](const Message& message) {
        put_number(writer, "thread_id", message.thread_id);
        put(writer, "address", message.address);
        writer.Key("date");
        if (message.date_ms) writer.Int64(*message.date_ms);
        else writer.Null();
        put_number(writer, "type", message.type);
        put(writer, "body", message.body);
    });
}

// One database's section: its file name, then its live rows, the deleted rows
// the scan can rebuild and the deleted rows it cannot.
template <typename Item>
void put_section(Writer& writer, const char* key, const char* file, std::array<const std::vector<Item>*, 3> rows,
                 void (*put_rows)(Writer&, const char*, const std::vector<Item>&)) {
    writer.Key(key);
    writer.StartObject();
    put(writer, "file", file);
    put_rows(writer, "live", *rows[0]);
    put_rows(writer, "deleted", *rows[1]);
    put_rows(writer, "deleted_not_recoverable", *rows[2]);
    writer.EndObject();
}

}  // namespace

bool write_expected_json(const std::string& path, const Sample& sample, const Options& options) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    rapidjson::OStreamWrapper stream(out);
    Writer writer(stream);
    writer.StartObject();
    put(writer, "variant", variant_name(options.variant));
    writer.Key("seed");
    writer.Uint(options.seed);
    writer.Key("page_size");
    writer.Uint(options.page_size);
    put_section(writer, "contacts", "contacts2.db", {&sample.live_values, &sample.deleted_values, &sample.lost_values},
                values);
    put_section(writer, "messages", "mmssms.db",
                {&sample.live_messages, &sample.deleted_messages, &sample.lost_messages}, messages);
    writer.EndObject();
    out << '\n';
    return static_cast<bool>(out);
}

}  // namespace quen::sample_phone
