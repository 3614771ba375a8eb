#include "phone/content_query.h"

#include <algorithm>

namespace quen::phone {
namespace {

struct Parser {
    std::string_view out;
    const std::vector<ContentColumn>& columns;
    const std::vector<std::string>* first_values;

    std::string row_start(std::size_t row) const {
        return "Row: " + std::to_string(row) + " " + columns[0].name + "=";
    }

    static bool valid_value(std::string_view value, const ContentColumn& column) {
        if (value.find('\n') != std::string_view::npos) return false;
        if (!column.numeric || value == "NULL") return true;
        std::size_t at = !value.empty() && value[0] == '-' ? 1 : 0;
        if (at == value.size()) return false;
        for (; at < value.size(); ++at)
            if (value[at] < '0' || value[at] > '9') return false;
        return true;
    }

    static ContentValue value_of(std::string_view text) {
        if (text == "NULL") return std::nullopt;
        return std::string(text);
    }

    // Reads the anchored columns of row `row` starting at `at` (the row's
    // "Row: " line start). On success, `values` holds them and `free_start`
    // is where the last column's value begins.
    bool anchored(std::size_t at, std::size_t row, std::vector<ContentValue>& values, std::size_t& free_start) const {
        const std::string start = row_start(row);
        if (out.compare(at, start.size(), start) != 0) return false;
        std::size_t value_at = at + start.size();
        // Anchored values never span lines, so the search stays in this one:
        // a hostile answer full of fake row starts costs one line each.
        const std::size_t line_end = std::min(out.find('\n', value_at), out.size());
        const std::string_view line = out.substr(0, line_end);
        values.clear();
        for (std::size_t i = 0; i + 1 < columns.size(); ++i) {
            const std::string next = ", " + columns[i + 1].name + "=";
            const std::size_t end = line.find(next, value_at);
            if (end == std::string_view::npos) return false;
            const std::string_view value = out.substr(value_at, end - value_at);
            if (!valid_value(value, columns[i])) return false;
            if (i == 0 && first_values && (row >= first_values->size() || value != (*first_values)[row])) return false;
            values.push_back(value_of(value));
            value_at = end + next.size();
        }
        if (columns.size() == 1 && first_values && row >= first_values->size()) return false;
        free_start = value_at;
        return true;
    }

    // Where the free text that starts at `from` in row `row` ends: at the line
    // feed before the next row's start, or before the final line feed.
    std::size_t free_end(std::size_t from, std::size_t row, bool& more) const {
        const std::string marker = "\n" + row_start(row + 1);
        std::vector<ContentValue> scratch;
        std::size_t ignored = 0;
        for (std::size_t at = out.find(marker, from); at != std::string_view::npos; at = out.find(marker, at + 1)) {
            if (anchored(at + 1, row + 1, scratch, ignored)) {
                more = true;
                return at;
            }
        }
        more = false;
        return !out.empty() && out.back() == '\n' && out.size() - 1 >= from ? out.size() - 1 : out.size();
    }
};

// The first line that says something, for an error message.
std::string first_words(std::string_view output) {
    std::size_t at = 0;
    while (at < output.size()) {
        std::size_t lf = output.find('\n', at);
        if (lf == std::string_view::npos) lf = output.size();
        std::string_view line = output.substr(at, lf - at);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (!line.empty()) return std::string(line.substr(0, 300));
        at = lf + 1;
    }
    return "no answer";
}

}  // namespace

std::string projection_argument(const std::vector<ContentColumn>& columns) {
    std::string text;
    for (const auto& column : columns) {
        if (!text.empty()) text += ':';
        text += column.name;
    }
    return text;
}

ContentRows parse_content_query(std::string_view output, const std::vector<ContentColumn>& columns,
                                const std::vector<std::string>* first_values) {
    ContentRows result;
    if (columns.empty()) {
        result.error = "no columns asked for";
        return result;
    }
    const Parser parser{output, columns, first_values};
    // Warnings the phone prints before the rows (a linker notice) are skipped.
    const std::string first = parser.row_start(0);
    std::size_t at = output.rfind(first, 0) == 0 ? 0 : std::string_view::npos;
    if (at == std::string_view::npos) {
        const std::size_t found = output.find("\n" + first);
        if (found != std::string_view::npos) at = found + 1;
    }
    std::vector<ContentValue> values;
    std::size_t free_start = 0;
    if (at == std::string_view::npos || !parser.anchored(at, 0, values, free_start)) {
        const bool empty = output.find("No result found.") != std::string_view::npos;
        if (empty && (!first_values || first_values->empty())) {
            result.ok = true;
        } else {
            result.error = empty ? "the rows changed between two queries" : first_words(output);
        }
        return result;
    }
    for (std::size_t row = 0;; ++row) {
        bool more = false;
        const std::size_t end = parser.free_end(free_start, row, more);
        values.push_back(std::string(output.substr(free_start, end - free_start)));
        if (values.back() && *values.back() == "NULL") values.back().reset();
        result.rows.push_back(std::move(values));
        values = {};
        if (!more) break;
        parser.anchored(end + 1, row + 1, values, free_start);
    }
    if (first_values && result.rows.size() != first_values->size()) {
        result.rows.clear();
        result.error = "the rows changed between two queries";
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace quen::phone
