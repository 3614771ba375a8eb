#include "records/sqlite/record_values.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/utf8.h"
#include "records/sqlite/sqlite_format.h"

namespace quen::records::sqlite {

namespace {

void append_utf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

constexpr uint32_t kReplacement = 0xFFFD;

// Walks UTF-16 code points; `visit(code, well_formed)`; stops when visit
// returns false. Returns whether the walk went to the end.
template <typename Visit>
bool each_utf16(std::span<const uint8_t> bytes, bool big_endian, Visit&& visit) {
    auto unit = [&](size_t at) -> uint32_t {
        return big_endian ? (uint32_t{bytes[at]} << 8) | bytes[at + 1] : (uint32_t{bytes[at + 1]} << 8) | bytes[at];
    };
    size_t at = 0;
    while (at + 1 < bytes.size()) {
        const uint32_t first = unit(at);
        at += 2;
        if (first >= 0xD800 && first <= 0xDBFF) {
            if (at + 1 < bytes.size()) {
                const uint32_t second = unit(at);
                if (second >= 0xDC00 && second <= 0xDFFF) {
                    at += 2;
                    if (!visit(0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00), true)) return false;
                    continue;
                }
            }
            if (!visit(kReplacement, false)) return false;
        } else if (first >= 0xDC00 && first <= 0xDFFF) {
            if (!visit(kReplacement, false)) return false;
        } else if (!visit(first, true)) {
            return false;
        }
    }
    if (at < bytes.size()) return visit(kReplacement, false);  // an odd byte at the end
    return true;
}

bool acceptable_code_point(uint32_t code) {
    if (code == '\t' || code == '\n' || code == '\r') return true;
    if (code < 0x20 || code == 0x7F || (code >= 0x80 && code <= 0x9F)) return false;
    if (code == 0xFFFE || code == 0xFFFF || (code >= 0xFDD0 && code <= 0xFDEF)) return false;
    return true;
}

uint32_t decode_utf8_at(std::string_view text, size_t at, size_t length) {
    const auto byte = [&](size_t index) { return static_cast<uint8_t>(text[at + index]); };
    switch (length) {
        case 1: return byte(0);
        case 2: return ((byte(0) & 0x1Fu) << 6) | (byte(1) & 0x3Fu);
        case 3: return ((byte(0) & 0x0Fu) << 12) | ((byte(1) & 0x3Fu) << 6) | (byte(2) & 0x3Fu);
        default:
            return ((byte(0) & 0x07u) << 18) | ((byte(1) & 0x3Fu) << 12) | ((byte(2) & 0x3Fu) << 6) | (byte(3) & 0x3Fu);
    }
}

}  // namespace

bool same_value(const Value& a, const Value& b) {
    if (a.type != b.type) return false;
    switch (a.type) {
        case ValueType::Null: return true;
        case ValueType::Integer: return a.integer == b.integer;
        case ValueType::Real: return std::memcmp(&a.real, &b.real, sizeof a.real) == 0;
        default: return a.bytes == b.bytes;
    }
}

void append_value_key(std::string& key, const Value& value) {
    key.push_back(static_cast<char>('0' + static_cast<int>(value.type)));
    switch (value.type) {
        case ValueType::Null: break;
        case ValueType::Integer: key.append(reinterpret_cast<const char*>(&value.integer), sizeof value.integer); break;
        case ValueType::Real: key.append(reinterpret_cast<const char*>(&value.real), sizeof value.real); break;
        default: {
            const uint32_t size = static_cast<uint32_t>(value.bytes.size());
            key.append(reinterpret_cast<const char*>(&size), sizeof size);
            key.append(value.bytes);
        }
    }
}

std::string utf16_to_utf8(std::span<const uint8_t> bytes, bool big_endian) {
    std::string out;
    out.reserve(bytes.size());
    each_utf16(bytes, big_endian, [&](uint32_t code, bool) {
        append_utf8(out, code);
        return true;
    });
    return out;
}

Value decode_value(uint64_t type, std::span<const uint8_t> bytes, TextEncoding encoding) {
    if (type == 0 || type == 10 || type == 11) return Value::null();
    if (type == kSerialTypeZero) return Value::of_integer(0);
    if (type == kSerialTypeOne) return Value::of_integer(1);
    if (type <= 6) {
        // Big-endian two's complement of 1, 2, 3, 4, 6 or 8 bytes.
        uint64_t raw = 0;
        for (uint8_t byte : bytes) raw = (raw << 8) | byte;
        const unsigned bits = static_cast<unsigned>(bytes.size()) * 8;
        if (bits > 0 && bits < 64 && (raw >> (bits - 1)) & 1) raw |= ~uint64_t{0} << bits;
        return Value::of_integer(static_cast<int64_t>(raw));
    }
    if (type == 7) {
        uint64_t raw = 0;
        for (uint8_t byte : bytes) raw = (raw << 8) | byte;
        double number = 0;
        std::memcpy(&number, &raw, sizeof number);
        return Value::of_real(number);
    }
    const std::string raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (is_blob_type(type)) return Value::of_blob(raw);
    if (encoding == TextEncoding::Utf8) return Value::of_text(raw);
    return Value::of_text(utf16_to_utf8(bytes, encoding == TextEncoding::Utf16be));
}

bool plausible_text(std::span<const uint8_t> bytes, TextEncoding encoding) {
    if (encoding != TextEncoding::Utf8) {
        if (bytes.size() % 2 != 0) return false;
        return each_utf16(bytes, encoding == TextEncoding::Utf16be,
                          [](uint32_t code, bool well_formed) { return well_formed && acceptable_code_point(code); });
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t at = 0;
    while (at < text.size()) {
        const uint8_t byte = bytes[at];
        if (byte < 0x80) {
            if (!acceptable_code_point(byte)) return false;
            ++at;
            continue;
        }
        size_t ill_formed = 0;
        const size_t length = platform::utf8_sequence_length(text, at, ill_formed);
        if (length < 2 || !acceptable_code_point(decode_utf8_at(text, at, length))) return false;
        at += length;
    }
    return true;
}

bool looks_numeric(std::string_view text) {
    // SQLite converts text that is a well-formed integer or real literal,
    // with optional blanks around it.
    size_t begin = 0, end = text.size();
    while (begin < end && std::strchr(" \t\n\f\r\v", text[begin])) ++begin;
    while (end > begin && std::strchr(" \t\n\f\r\v", text[end - 1])) --end;
    if (begin == end) return false;
    const std::string trimmed(text.substr(begin, end - begin));
    if (trimmed.find_first_not_of("+-.0123456789eE") != std::string::npos) return false;
    char* stop = nullptr;
    std::strtod(trimmed.c_str(), &stop);
    return stop == trimmed.c_str() + trimmed.size();
}

}  // namespace quen::records::sqlite
