#include "export/sms_backup_xml.h"

#include <cstdio>
#include <ctime>

#include "export/export_text.h"
#include "records/model/text_list.h"

namespace quen::exports {
namespace {

void attribute(std::string& out, std::string_view name, std::string_view escaped) {
    out.push_back(' ');
    out.append(name);
    out.append("=\"");
    out.append(escaped);
    out.push_back('"');
}

// A row rebuilt from free space may carry any number as its date. The report
// pages show a moment before 1970 or after the year 3000 as 1970-01-01
// (sms_date_text); the phone gets the same 0 rather than a date it cannot sort.
int64_t importable_date(int64_t millis) {
    constexpr int64_t kLastSecond = 32535194399;  // 3000-12-31 23:59:59 UTC
    const int64_t seconds = millis / 1000;
    return seconds < 0 || seconds > kLastSecond ? 0 : millis;
}

void message_element(std::string& out, const records::MessageRecord& message, std::string_view contact_name) {
    const int64_t date = importable_date(message.date_millis);
    out.append("  <sms");
    attribute(out, "protocol", "0");
    attribute(out, "address", xml_attribute(message.address));
    attribute(out, "date", std::to_string(date));
    attribute(out, "type", std::to_string(message.type));
    attribute(out, "body", xml_attribute(message.body));
    attribute(out, "read", "1");
    attribute(out, "status", "-1");
    attribute(out, "locked", "0");
    attribute(out, "date_sent", "0");
    attribute(out, "readable_date", readable_date(date));
    attribute(out, "contact_name", contact_name);
    out.append(" />\n");
}

}  // namespace

std::string xml_attribute(std::string_view value) {
    const std::string text = export_text(value, TextRules::Strict);
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            case '\t': out += "&#9;"; break;
            case '\n': out += "&#10;"; break;
            case '\r': out += "&#13;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

std::string readable_date(int64_t millis) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int64_t seconds = millis / 1000;
    if (millis % 1000 < 0) --seconds;
    const auto when = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (static_cast<int64_t>(when) != seconds || !localtime_r(&when, &tm) || tm.tm_mon < 0 || tm.tm_mon > 11)
        return {};
    const int hour12 = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
    char text[64];
    std::snprintf(text, sizeof text, "%s %d, %lld %d:%02d:%02d %s", kMonths[tm.tm_mon], tm.tm_mday,
                  static_cast<long long>(tm.tm_year) + 1900, hour12, tm.tm_min, tm.tm_sec, tm.tm_hour < 12 ? "AM" : "PM");
    return text;
}

std::string sms_backup_xml(const records::ThreadList& threads) {
    size_t count = 0;
    for (const records::ThreadRecord* thread : threads)
        if (thread != nullptr) count += thread->messages.size();

    std::string out = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n";
    out += "<smses count=\"" + std::to_string(count) + "\">\n";
    for (const records::ThreadRecord* thread : threads) {
        if (thread == nullptr) continue;
        const std::vector<std::string> names = records::split_text_list(thread->name);
        const std::string contact_name = names.empty() ? "(Unknown)" : xml_attribute(names.front());
        for (const records::MessageRecord& message : thread->messages) message_element(out, message, contact_name);
    }
    out += "</smses>\n";
    return out;
}

}  // namespace quen::exports
