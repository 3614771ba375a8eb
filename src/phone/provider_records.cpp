#include "phone/provider_records.h"

#include <charconv>
#include <limits>
#include <map>

#include "phone/content_query.h"
#include "records/model/mimetype_tables.h"

namespace quen::phone {
namespace {

const std::vector<ContentColumn> kContactColumns = {{"_id", true}, {"raw_contact_id", true}, {"mimetype", false}};
const std::vector<ContentColumn> kData1Columns = {{"_id", true}, {"data1", false}};
const std::vector<ContentColumn> kMessageColumns = {
    {"_id", true}, {"thread_id", true}, {"type", true}, {"date", true}, {"address", false}};
const std::vector<ContentColumn> kBodyColumns = {{"_id", true}, {"body", false}};

template <typename T>
std::optional<T> number(const ContentValue& value) {
    if (!value) return std::nullopt;
    T parsed{};
    const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), parsed);
    if (error != std::errc() || end != value->data() + value->size()) return std::nullopt;
    return parsed;
}

std::string text_of(const ContentValue& value) { return value.value_or(std::string()); }

// Sorts a failed answer: a provider the phone lacks, or a refusal.
ProviderRead failed(const std::string& error) {
    ProviderRead read;
    read.tried = true;
    read.error = error;
    read.absent = error.find("Unknown URI") != std::string::npos ||
                  error.find("Could not find provider") != std::string::npos ||
                  error.find("Unknown authority") != std::string::npos;
    return read;
}

ProviderRead succeeded() {
    ProviderRead read;
    read.tried = read.ok = true;
    return read;
}

// The provider's own error line: the tool prints "Error while accessing
// provider:sms" and the exception below it.
std::string provider_error(const std::string& output, const std::string& parse_error) {
    const std::size_t exception = output.find("Exception: ");
    if (exception != std::string::npos) {
        const std::size_t end = output.find('\n', exception);
        return output.substr(exception + 11, end == std::string::npos ? std::string::npos : end - exception - 11);
    }
    return parse_error;
}

}  // namespace

std::optional<std::string> run_content_query(const DeviceLink& link, const std::string& arguments) {
    platform::RunWatch watch;
    watch.stall_limit = link.helper().stall_limit;
    const std::string line = "content query " + arguments;
    platform::CapturedRun run = link.exec_out(line, watch);
    bool on_terminal = false;
    if (exec_out_unsupported(run.output)) {
        // Before Android 5: through the shell, on a terminal that writes each
        // line feed as CR LF; undone so bodies come back as stored.
        run = link.run({"shell", line}, watch);
        on_terminal = true;
    }
    // Cut output parses as fewer rows, or as a last free text that runs on
    // into the rows after it: it is not used at all.
    if (run.killed) return std::nullopt;
    return on_terminal ? shell_text(run.output) : std::move(run.output);
}

namespace {

// Runs the query of the anchored columns, then the query of the one free
// text with the ids of the first as anchors (content_query.h), both sorted by
// _id; `take` gets each row of the first and the text that goes with it.
constexpr const char* kQueryCut = "the query was ended before it finished (no answer for too long, or stopped)";

template <typename Take>
ProviderRead query_in_two(const DeviceLink& link, const std::string& uri, const std::vector<ContentColumn>& heads,
                          const std::vector<ContentColumn>& text, Take&& take) {
    const std::optional<std::string> heads_output =
        run_content_query(link, "--uri " + uri + " --projection " + projection_argument(heads) + " --sort _id");
    if (!heads_output) return failed(kQueryCut);
    const ContentRows parsed = parse_content_query(*heads_output, heads);
    if (!parsed.ok) return failed(provider_error(*heads_output, parsed.error));
    if (parsed.rows.empty()) return succeeded();

    std::vector<std::string> ids;
    ids.reserve(parsed.rows.size());
    for (const auto& row : parsed.rows) ids.push_back(text_of(row[0]));
    const std::optional<std::string> texts_output =
        run_content_query(link, "--uri " + uri + " --projection " + projection_argument(text) + " --sort _id");
    if (!texts_output) return failed(kQueryCut);
    const ContentRows texts = parse_content_query(*texts_output, text, &ids);
    if (!texts.ok) return failed(provider_error(*texts_output, texts.error));
    for (std::size_t i = 0; i < parsed.rows.size(); ++i) take(parsed.rows[i], text_of(texts.rows[i][1]));
    return succeeded();
}

}  // namespace

ProviderRead query_contacts(const DeviceLink& link, std::vector<ProviderContactRow>& out) {
    return query_in_two(link, "content://com.android.contacts/data", kContactColumns, kData1Columns,
                        [&](const std::vector<ContentValue>& row, std::string data1) {
                            const auto raw_contact_id = number<std::int64_t>(row[1]);
                            if (!raw_contact_id) return;  // a data row that belongs to no contact
                            out.push_back({*raw_contact_id, text_of(row[2]), std::move(data1)});
                        });
}

ProviderRead query_messages(const DeviceLink& link, std::vector<ProviderMessageRow>& out) {
    return query_in_two(link, "content://sms", kMessageColumns, kBodyColumns,
                        [&](const std::vector<ContentValue>& row, std::string body) {
                            ProviderMessageRow message;
                            message.id = number<std::int64_t>(row[0]).value_or(0);
                            message.thread_id = number<std::int64_t>(row[1]).value_or(0);
                            message.type = number<std::int32_t>(row[2]).value_or(0);
                            message.date = number<std::int64_t>(row[3]);
                            message.address = text_of(row[4]);
                            message.body = std::move(body);
                            out.push_back(std::move(message));
                        });
}

void add_provider_records(const ProviderRecords& rows, records::ContactMap& contacts, records::ThreadMap& threads) {
    records::ensure_mimetype_kind_table();
    // Gathered under the plain id first, then filed under -id beside the live
    // rows of a database, so that rows rebuilt from free space never merge with them.
    records::ContactMap local;
    for (const auto& row : rows.contacts) {
        records::ContactRecord& contact = records::find_or_create_contact(local, row.raw_contact_id, false);
        records::add_contact_value(contact, row.data1, records::kind_for_mimetype(row.mimetype));
    }
    for (auto& [id, record] : local) {
        const std::int64_t key = id == std::numeric_limits<std::int64_t>::min() ? id : -id;
        contacts.try_emplace(key, std::move(record));
    }
    for (const auto& row : rows.messages) {
        records::ThreadRecord& thread = records::find_or_create_thread(threads, row.address, row.thread_id, false);
        records::MessageRecord message;
        message.type = row.type;
        message.thread_id = row.thread_id;
        if (row.date) {
            message.date_millis = *row.date;
            message.date_text = records::sms_date_text(*row.date);
        }
        message.address = row.address;
        message.body = row.body;
        records::add_message(thread, std::move(message));
    }
}

}  // namespace quen::phone
