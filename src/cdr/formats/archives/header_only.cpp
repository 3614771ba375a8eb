// File types whose headers are known but that have no extractor: the engine
// finds their headers and records nothing (only through -t, they are not in
// the built-in table).
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

FormatDefinition header_only_formats() {
    const FormatRow gzip{"gz", FormatType::Gzip, {0x1F, 0x8B}, std::vector<uint8_t>(4, 0x00), 100 * kMiB, {}, true};
    return {std::nullopt,
            {{"elf", FormatRow{"elf", FormatType::Elf, {0x7F, 0x45, 0x4C, 0x46}, {}, 1 * kMiB, {}, true}},
             {"reg", FormatRow{"reg", FormatType::Reg, bytes_of("regf"), {}, 2 * kMiB, {}, true}},
             {"gzip", gzip},
             {"gz", gzip},
             {"wpd", FormatRow{"wpd", FormatType::Wpd, {0xFF, 0x57, 0x50, 0x43}, {}, 1 * kMiB, {}, true}}}};
}

}  // namespace quen::cdr::fmt
