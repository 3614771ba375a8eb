#include "update/automatic_check.h"

#include <algorithm>

#include "update/description/json_description.h"
#include "update/description/update_info.h"
#include "update/description/version_compare.h"
#include "update/http_fetch.h"
#include "update/kept_texts.h"

namespace quen::update {

AutomaticCheckOutcome run_automatic_check(const UpdateSettings& settings, const std::atomic<bool>* cancel) {
    AutomaticCheckOutcome out;
    FetchRequest request;
    request.url = settings.url;
    request.user_agent = "Quenfora@Update";
    request.use_proxy = true;  // the system's proxy settings, as a browser would
    request.connect_timeout = settings.connect_timeout;
    request.total_timeout = settings.total_timeout;
    request.cancel = cancel;

    // One read of at most kAutomaticReadLimit bytes: the rest is never fetched.
    std::string body;
    const auto on_chunk = [&](const char* data, std::size_t size) {
        body.append(data, std::min(size, kAutomaticReadLimit - body.size()));
        return body.size() < kAutomaticReadLimit;
    };
    const FetchResult fetch = http_get(request, on_chunk);

    switch (fetch.end) {
    case FetchEnd::Complete:
    case FetchEnd::StoppedByReceiver:
        break;
    case FetchEnd::Cancelled:
        out.end = AutomaticEnd::Cancelled;
        return out;
    case FetchEnd::NoConnection:
        out.end = AutomaticEnd::NoConnection;
        out.failure = "no connection to " + url_host(settings.url) + ": " + fetch.message;
        return out;
    case FetchEnd::Failed:
        out.end = AutomaticEnd::Failed;
        out.failure = "cannot fetch " + settings.url + ": " + fetch.message;
        return out;
    }
    if (fetch.http_status >= 400) {
        out.end = AutomaticEnd::Failed;
        out.failure = "the server answered " + settings.url + " with HTTP status " + std::to_string(fetch.http_status);
        return out;
    }
    const JsonDescription doc = read_json_description(body);
    out.version = doc.nversion;
    if (!doc.is_object) {
        out.end = AutomaticEnd::Failed;
        out.failure = body.empty() ? "the server sent nothing"
                                   : "the version description is not a JSON object (in its first " +
                                         std::to_string(kAutomaticReadLimit) + " bytes)";
        return out;
    }
    out.end = is_newer_version(doc.nversion, kOwnVersion) ? AutomaticEnd::Announce : AutomaticEnd::Silent;
    return out;
}

void automatic_update_check(const UpdateSettings& settings, const std::atomic<bool>* cancel, std::string* failure,
                            MessageSink& sink) {
    const AutomaticCheckOutcome out = run_automatic_check(settings, cancel);
    if (failure) *failure = out.failure;
    if (out.end == AutomaticEnd::Announce && !(cancel && cancel->load()))
        sink.send(WM_UPDATE_RESULT, 1, reinterpret_cast<LParam>(keep_text(out.version)));
}

}  // namespace quen::update
