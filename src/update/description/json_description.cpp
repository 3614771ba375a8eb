#include "update/description/json_description.h"

#include <json/json.h>
#include <memory>

namespace quen::update {

JsonDescription read_json_description(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    if (bytes.empty()) return {};

    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    // Nesting is bounded well below what the reader's recursion could bear.
    builder.settings_["stackLimit"] = 64;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(bytes.data(), bytes.data() + bytes.size(), &root, &errors)) return {};
    } catch (const std::exception&) {
        // The reader throws when the nesting limit is passed.
        return {};
    }
    const Json::Value& doc = root;  // const lookups never add members
    if (!doc.isObject()) return {};
    JsonDescription out;
    out.is_object = true;
    const Json::Value& list = doc["Contavire"];
    if (!list.isArray() || list.empty()) return out;
    const Json::Value& first = list[0u];
    if (!first.isObject()) return out;
    const Json::Value& version = first["Nversion"];
    if (version.isString()) out.nversion = version.asString();
    return out;
}

}  // namespace quen::update
