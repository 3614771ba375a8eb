// The answer of the phone's "content query" read by its projection: any bytes
// are read without a fault, and rows made into an answer the way the phone's
// tool prints them come back whole, whatever their free text holds (commas,
// "=", quotes, line breaks, row starts of other rows), as long as it does not
// hold the exact start of the row after it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "phone/content_query.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quen::phone;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<ContentColumn> columns = {{"_id", true}, {"body", false}};

    // Any bytes as an answer.
    const ContentRows raw = parse_content_query(input, columns);
    for (const auto& row : raw.rows)
        if (row.size() != columns.size()) std::abort();

    // The input as bodies separated by 0xFF, printed as the phone prints them.
    std::vector<std::string> bodies;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= input.size(); ++at) {
        if (at == input.size() || static_cast<unsigned char>(input[at]) == 0xFF) {
            bodies.emplace_back(input.substr(start, at - start));
            start = at + 1;
        }
    }
    std::vector<std::string> ids;
    std::string answer;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        ids.push_back(std::to_string(i * 3 + 1));
        answer += "Row: " + std::to_string(i) + " _id=" + ids.back() + ", body=" + bodies[i] + "\n";
    }
    for (std::size_t i = 0; i + 1 < bodies.size(); ++i) {
        const std::string next = "\nRow: " + std::to_string(i + 1) + " _id=" + ids[i + 1] + ", body=";
        if ((bodies[i] + "\n").find(next) != std::string::npos) return 0;  // the one ambiguity left
    }
    for (const auto& body : bodies)
        if (body == "NULL") return 0;  // printed the same as a NULL
    const ContentRows parsed = parse_content_query(answer, columns, &ids);
    if (!parsed.ok || parsed.rows.size() != bodies.size()) std::abort();
    for (std::size_t i = 0; i < bodies.size(); ++i)
        if (parsed.rows[i][1] != bodies[i] || parsed.rows[i][0] != ids[i]) std::abort();
    return 0;
}
