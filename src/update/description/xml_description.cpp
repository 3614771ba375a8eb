#include "update/description/xml_description.h"

#include <climits>
#include <cstring>
#include <expat.h>

#include "update/description/version_compare.h"

namespace quen::update {

void UpdateXmlParser::Deleter::operator()(void* parser) const {
    if (parser) XML_ParserFree(static_cast<XML_Parser>(parser));
}

UpdateXmlParser::UpdateXmlParser(UpdateInfo& info) : info_(info) {
    info_.reset();
    XML_Parser parser = XML_ParserCreate(nullptr);
    parser_.reset(parser);
    if (!parser) {
        failed_ = true;
        error_ = "Out of memory";
        return;
    }
    XML_SetUserData(parser, this);
    XML_SetStartElementHandler(parser, &UpdateXmlParser::on_start);
    // End elements and character data carry nothing for us: no handlers.
}

UpdateXmlParser::~UpdateXmlParser() = default;

// Expat hands the attributes as a NULL-terminated array of name, value pairs.
void UpdateXmlParser::on_start(void* self_ptr, const char* name, const char** attrs) {
    auto* self = static_cast<UpdateXmlParser*>(self_ptr);
    UpdateInfo& info = self->info_;
    if (info.found || std::strcmp(name, "product") != 0 || !attrs) return;
    bool ours = false;
    const char* version = nullptr;
    for (std::size_t i = 0; attrs[i] && attrs[i + 1]; i += 2) {
        if (std::strcmp(attrs[i], "name") == 0) {
            if (info.product_name == attrs[i + 1]) ours = true;
        } else if (std::strcmp(attrs[i], "version") == 0) {
            if (!version) version = attrs[i + 1];
        }
    }
    if (!ours) return;
    info.found = true;
    if (!version) return;
    const std::size_t len = std::strlen(version);
    // Only a text that could be a version is kept: it is what the window shows.
    info.server_version.assign(version, len <= kMaxVersionText ? len : kMaxVersionText);
    info.newer = len <= kMaxVersionText && is_newer_version(info.server_version, info.own_version);
}

bool UpdateXmlParser::parse(const char* data, int size, bool final) {
    if (failed_) return false;
    auto* parser = static_cast<XML_Parser>(parser_.get());
    if (XML_Parse(parser, data, size, final ? 1 : 0) == XML_STATUS_OK) return true;
    failed_ = true;
    error_ = XML_ErrorString(XML_GetErrorCode(parser));
    error_ += " at line ";
    error_ += std::to_string(static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)));
    error_ += " ";
    return false;
}

bool UpdateXmlParser::feed(const char* data, std::size_t size) {
    // Expat takes an int length; bigger chunks go in int-sized pieces.
    while (size > 0) {
        const int piece = size > static_cast<std::size_t>(INT_MAX / 2) ? INT_MAX / 2 : static_cast<int>(size);
        if (!parse(data, piece, false)) return false;
        data += piece;
        size -= static_cast<std::size_t>(piece);
    }
    return !failed_;
}

bool UpdateXmlParser::finish() { return parse("", 0, true); }

}  // namespace quen::update
