#pragma once
// A row of the format table made into the SearchSpec the engine searches
// with: its patterns built for the row's case rule, at most kMaxMarkers
// markers. No file-type node yet.
#include "cdr/formats/format_table.h"
#include "cdr/search_spec.h"

namespace quen::cdr {

SearchSpec spec_from_row(const FormatRow& row);

}  // namespace quen::cdr
