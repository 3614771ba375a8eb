#include "export/export_text.h"

#include "platform/utf8.h"

namespace quen::exports {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool excluded(std::string_view sequence, TextRules rules) {
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (rules == TextRules::Lenient) return lead == 0;
    if (sequence.size() == 1) return (lead < 0x20 && lead != '\t' && lead != '\n' && lead != '\r') || lead == 0x7F;
    return sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF";
}

}  // namespace

std::string export_text(std::string_view bytes, TextRules rules) {
    std::string out;
    out.reserve(bytes.size());
    size_t ill_formed = 0;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = platform::utf8_sequence_length(bytes, at, ill_formed);
        if (length == 0) {
            out.append(kReplacement);
            at += ill_formed;
            continue;
        }
        const std::string_view sequence = bytes.substr(at, length);
        if (excluded(sequence, rules)) out.append(kReplacement);
        else out.append(sequence);
        at += length;
    }
    return out;
}

}  // namespace quen::exports
