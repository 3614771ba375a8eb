#include "cdr/carve_catalog.h"

namespace quen::cdr {

const FormatCatalog& builtin_catalog() {
    static const FormatCatalog catalog{
        [](std::string_view name) { return formats_for_name(name); },
        [](int type) { return find_extractor(type); },
    };
    return catalog;
}

}  // namespace quen::cdr
