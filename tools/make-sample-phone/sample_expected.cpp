// The sample's expectations as JSON, beside the databases.
#include <rapidjson/ostreamwrapper.h>
#include <rapidjson/prettywriter.h>

#include <fstream>

#include "sample_phone.h"

namespace quen::sample_phone {

namespace {

using Writer = rapidjson::PrettyWriter<rapidjson::OStreamWrapper>;

void put(Writer& w, const char* key, const std::string& text) {
    w.Key(key);
    w.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

void values(Writer& w, const char* key, const std::vector<ContactValue>& list) {
    w.Key(key);
    w.StartArray();
    for (const ContactValue& v : list) {
        w.StartObject();
        w.Key("raw_contact_id");
        w.Int64(v.raw_contact_id);
        w.Key("mimetype_id");
        w.Int(v.mimetype_id);
        put(w, "mimetype", v.mimetype);
        put(w, "data1", v.data1);
        w.EndObject();
    }
    w.EndArray();
}

void messages(Writer& w, const char* key, const std::vector<Message>& list) {
    w.Key(key);
    w.StartArray();
    for (const Message& m : list) {
        w.StartObject();
        w.Key("thread_id");
        w.Int64(m.thread_id);
        put(w, "address", m.address);
        w.Key("date");
        if (m.date_ms) w.Int64(*m.date_ms);
        else w.Null();
        w.Key("type");
        w.Int(m.type);
        put(w, "body", m.body);
        w.EndObject();
    }
    w.EndArray();
}

}  // namespace

bool write_expected_json(const std::string& path, const Sample& s, const Options& o) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    rapidjson::OStreamWrapper stream(out);
    Writer w(stream);
    w.StartObject();
    put(w, "variant", variant_name(o.variant));
    w.Key("seed");
    w.Uint(o.seed);
    w.Key("page_size");
    w.Uint(o.page_size);
    w.Key("contacts");
    w.StartObject();
    put(w, "file", "contacts2.db");
    values(w, "live", s.live_values);
    values(w, "deleted", s.deleted_values);
    values(w, "deleted_not_recoverable", s.lost_values);
    w.EndObject();
    w.Key("messages");
    w.StartObject();
    put(w, "file", "mmssms.db");
    messages(w, "live", s.live_messages);
    messages(w, "deleted", s.deleted_messages);
    messages(w, "deleted_not_recoverable", s.lost_messages);
    w.EndObject();
    w.EndObject();
    out << '\n';
    return static_cast<bool>(out);
}

}  // namespace quen::sample_phone
