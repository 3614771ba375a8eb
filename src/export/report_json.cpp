#include "export/report_json.h"

#include <rapidjson/encodings.h>
#include <rapidjson/writer.h>

#include <cstring>

namespace quen::exports {
namespace {

// Output stream for RapidJSON's Writer that turns '<' into \u003C. The row
// table holds only arrays and strings, so a '<' can only ever reach the stream
// from inside a string value, where \u003C means the same character.
class ScriptSafeStream {
public:
    using Ch = char;

    explicit ScriptSafeStream(std::string& out) : out_(out) {}

    void Put(Ch c) {
        if (c == '<')
            out_.append("\\u003C");
        else
            out_.push_back(c);
    }
    void Flush() {}

private:
    std::string& out_;
};

// UTF-8 in, UTF-8 out, no validation: bytes from 0x80 up are copied as they
// are, even when they do not form valid UTF-8.
using RowWriter = rapidjson::Writer<ScriptSafeStream, rapidjson::UTF8<>, rapidjson::UTF8<>,
                                    rapidjson::CrtAllocator, rapidjson::kWriteNoFlags>;

}  // namespace

std::string serialize_row_table(const RowTable& table) {
    std::string out;
    ScriptSafeStream stream(out);
    RowWriter writer(stream);
    writer.StartArray();
    for (const ReportRow& row : table) {
        writer.StartArray();
        for (const std::string& cell : row) {
            // A cell ends at its first zero byte.
            const size_t length = std::strlen(cell.c_str());
            writer.String(cell.data(), static_cast<rapidjson::SizeType>(length));
        }
        writer.EndArray();
    }
    writer.EndArray();
    return out;
}

}  // namespace quen::exports
