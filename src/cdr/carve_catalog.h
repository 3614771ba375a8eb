#pragma once
// Where a run finds its file types: the rows a -t name sets up and the
// extractor of each type id. The real catalog is the built-in format table
// and its extractors; tests hand the engine small catalogs of their own.
#include <functional>
#include <string_view>
#include <vector>

#include "cdr/extractor.h"
#include "cdr/formats/format_table.h"

namespace quen::cdr {

struct FormatCatalog {
    // Rows for a -t name ("all": the built-in table); empty when unknown.
    std::function<std::vector<FormatRow>(std::string_view)> rows_for_name;
    // The extractor of a type id, or nullptr.
    std::function<ExtractFn(int)> extractor;
};

// The built-in formats and their extractors.
const FormatCatalog& builtin_catalog();

}  // namespace quen::cdr
