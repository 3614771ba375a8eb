#include "cdr/engine/search_spec.h"

namespace quen::cdr {

SearchSpec spec_from_row(const FormatRow& row) {
    SearchSpec s;
    s.extension = row.extension;
    s.type = row.type;
    s.extract = row.extractor;
    s.max_length = row.max_length;
    s.case_sensitive = row.case_sensitive;
    s.header_offset = row.header_offset;
    s.starts = row.starts;
    s.start_bytes = row.start_bytes;
    s.fetches = row.fetches;
    s.header = Pattern(row.header, row.case_sensitive);
    s.footer = Pattern(row.footer, row.case_sensitive);
    for (const auto& m : row.markers) {
        if (s.markers.size() == kMaxMarkers) break;
        s.markers.emplace_back(m, row.case_sensitive);
    }
    return s;
}

}  // namespace quen::cdr
