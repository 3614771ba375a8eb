#include "export/vcard_file.h"

#include "export/export_text.h"
#include "records/model/text_list.h"

namespace quen::exports {
namespace {

constexpr size_t kLineOctets = 75;

// Bytes of the unit that starts at `at` in escaped, valid UTF-8 text: an
// escape pair, or one UTF-8 sequence.
size_t unit_length(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 1;
    if (lead == '\\') length = 2;
    else if (lead >= 0xF0) length = 4;
    else if (lead >= 0xE0) length = 3;
    else if (lead >= 0xC0) length = 2;
    return std::min(length, text.size() - at);
}

// One content line per value of a text list.
void list_lines(std::string& out, std::string_view name, std::string_view list, std::string_view prefix = {},
                std::string_view suffix = {}) {
    for (const std::string& value : records::split_text_list(list)) {
        std::string escaped(prefix);
        escaped += vcard_escape(value);
        escaped += suffix;
        out += vcard_line(name, escaped);
    }
}

void contact_entry(std::string& out, const records::ContactRecord& contact) {
    out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    const std::vector<std::string> names = records::split_text_list(contact.name);
    // vCard 3.0 wants FN and N in every entry, even a nameless one.
    const std::string name = names.empty() ? std::string() : vcard_escape(names.front());
    out += vcard_line("FN", name);
    out += vcard_line("N", name + ";;;;");
    // A contact may hold several names (one per account that knew it); the
    // others are kept as nicknames so that none is lost on import.
    for (size_t i = 1; i < names.size(); ++i) out += vcard_line("NICKNAME", vcard_escape(names[i]));
    list_lines(out, "NICKNAME", contact.nickname);
    list_lines(out, "TEL", contact.phone);
    list_lines(out, "EMAIL", contact.email);
    list_lines(out, "ORG", contact.organization);
    // Android keeps a postal address as one formatted text; it goes whole into
    // the street part rather than being guessed apart.
    list_lines(out, "ADR", contact.postal_address, ";;", ";;;;");
    list_lines(out, "IMPP", contact.im);
    list_lines(out, "X-SIP", contact.sip_address);
    list_lines(out, "URL", contact.website);
    list_lines(out, "NOTE", contact.note);
    list_lines(out, "X-QUENFORA-OTHER", contact.others);
    out += "END:VCARD\r\n";
}

}  // namespace

std::string vcard_escape(std::string_view value) {
    const std::string text = export_text(value, TextRules::Strict);
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '\\': out += "\\\\"; break;
            case ',': out += "\\,"; break;
            case ';': out += "\\;"; break;
            case '\r':
                if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
                out += "\\n";
                break;
            case '\n': out += "\\n"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

std::string vcard_line(std::string_view name, std::string_view escaped_value) {
    std::string line(name);
    line.push_back(':');
    line.append(escaped_value);
    std::string out;
    out.reserve(line.size() + line.size() / 64 * 3 + 2);
    size_t used = 0;  // octets on the current output line
    for (size_t at = 0; at < line.size();) {
        const size_t length = unit_length(line, at);
        if (used + length > kLineOctets) {
            out += "\r\n ";
            used = 1;
        }
        out.append(line, at, length);
        used += length;
        at += length;
    }
    out += "\r\n";
    return out;
}

std::string vcard_text(const records::ContactList& contacts) {
    std::string out;
    for (const records::ContactRecord* contact : contacts)
        if (contact != nullptr) contact_entry(out, *contact);
    return out;
}

}  // namespace quen::exports
