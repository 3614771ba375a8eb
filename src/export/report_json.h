#pragma once
// The row table of a report page and its JSON form.
#include <string>
#include <vector>

namespace quen::exports {

// A vector of rows, each a vector of UTF-8 cells; the first row is the header.
using ReportRow = std::vector<std::string>;
using RowTable = std::vector<ReportRow>;

// The table as one compact JSON array of arrays of strings, ready to stand in
// a page's <script> element:
//   - no whitespace; "[" "]" around each array, "," between elements;
//   - each cell is cut at its first zero byte;
//   - '"' and '\' are escaped with a backslash; 0x08 0x09 0x0A 0x0C 0x0D become
//     \b \t \n \f \r; every other byte below 0x20 becomes \u00XX (upper case);
//   - '<' becomes \u003C, so a text holding "</script>" or "<!--" cannot end
//     or change the script element it is written into (same JSON value);
//   - every other byte, '/' and all bytes from 0x80 up included, is copied as
//     it is (UTF-8 passes through byte for byte, nothing is validated).
// An empty table gives "[]".
std::string serialize_row_table(const RowTable& table);

}  // namespace quen::exports
