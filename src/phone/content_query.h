#pragma once
// Reading the answer of the phone's "content query" tool, which prints each
// row as one line "Row: <n> <column>=<value>, <column>=<value>, ..." with the
// values as they are: a message body with ", ", "=", quotes or line breaks in
// it is printed just so. The answer is therefore read by the projection that
// was asked for: every column but the last holds values that cannot contain
// the next column's ", <name>=" (numbers, mimetypes), so the known names are
// the anchors; the last column is the free text, and it runs to where the next
// row's "Row: <n+1> <first column>=" begins with the anchors that must follow
// it. With the first column's values known beforehand (the ids of an earlier
// query), a free text could only be misread by holding a whole fake row start
// with the right row number and the right id.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quen::phone {

struct ContentColumn {
    std::string name;
    bool numeric = false;  // digits (an optional "-") or NULL
};

using ContentValue = std::optional<std::string>;  // nullopt: NULL

struct ContentRows {
    bool ok = false;      // a result: rows, or "No result found."
    std::string error;    // the tool's or the provider's words when not
    std::vector<std::vector<ContentValue>> rows;
};

// Parses `output` (the tool's stdout, as bytes) for `columns`, the projection
// in the order asked. `first_values`, when not null, are the first column's
// values of the rows in order, and the answer must hold exactly those rows.
ContentRows parse_content_query(std::string_view output, const std::vector<ContentColumn>& columns,
                                const std::vector<std::string>* first_values = nullptr);

// The projection argument: the names joined by ':'.
std::string projection_argument(const std::vector<ContentColumn>& columns);

}  // namespace quen::phone
