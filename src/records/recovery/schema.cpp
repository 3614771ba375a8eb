#include "records/recovery/schema.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace quen::records::recovery {

namespace {

bool contains(const std::string& upper, const char* part) { return upper.find(part) != std::string::npos; }

bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

Affinity affinity_of(std::string_view declared_type) {
    std::string upper(declared_type);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // SQLite's rules, in their order.
    if (contains(upper, "INT")) return Affinity::Integer;
    if (contains(upper, "CHAR") || contains(upper, "CLOB") || contains(upper, "TEXT")) return Affinity::Text;
    if (upper.empty() || contains(upper, "BLOB")) return Affinity::Blob;
    if (contains(upper, "REAL") || contains(upper, "FLOA") || contains(upper, "DOUB")) return Affinity::Real;
    return Affinity::Numeric;
}

int Schema::find_table(std::string_view name) const {
    for (size_t index = 0; index < tables.size(); ++index)
        if (iequals(tables[index].name, name)) return static_cast<int>(index);
    return -1;
}

bool is_internal_table(std::string_view name) {
    return name.size() >= 7 && iequals(name.substr(0, 7), "sqlite_");
}

}  // namespace quen::records::recovery
