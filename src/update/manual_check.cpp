#include "update/manual_check.h"

#include <algorithm>

#include "update/description/xml_description.h"
#include "update/kept_texts.h"

namespace quen::update {
namespace {

void diag(std::FILE* stream, const std::string& line) {
    if (!stream) return;
    std::fputs(line.c_str(), stream);
    std::fflush(stream);
}

}  // namespace

ManualCheckOutcome run_manual_check(const UpdateSettings& settings, const std::atomic<bool>* cancel) {
    ManualCheckOutcome out;
    UpdateXmlParser parser(out.info);
    diag(settings.diag_out, "www_start: " + url_host(settings.url) + "\n");

    FetchRequest request;
    request.url = settings.url;
    request.user_agent = "WinHTTP Example/1.0";
    request.use_proxy = false;
    request.no_cache = true;
    request.connect_timeout = settings.connect_timeout;
    request.total_timeout = settings.total_timeout;
    request.cancel = cancel;

    // The body goes to the parser as it arrives and is not kept; past the
    // limit we stop reading, and what was parsed until then stands.
    std::size_t fed = 0;
    bool too_large = false;
    const auto on_chunk = [&](const char* data, std::size_t size) {
        const std::size_t room = settings.max_body_bytes - fed;
        const std::size_t take = std::min(size, room);
        if (take > 0 && !parser.feed(data, take)) return false;
        fed += take;
        if (take < size) {
            too_large = true;
            return false;
        }
        return true;
    };
    out.fetch = http_get(request, on_chunk);

    switch (out.fetch.end) {
    case FetchEnd::Complete:
        parser.finish();
        break;
    case FetchEnd::Cancelled:
        out.cancelled = true;
        break;
    case FetchEnd::NoConnection:
    case FetchEnd::Failed:
        diag(settings.diag_out, "Error " + std::to_string(out.fetch.curl_code) + " has occurred.\n");
        break;
    case FetchEnd::StoppedByReceiver:
        break;
    }
    if (parser.failed()) diag(settings.diag_err, parser.error() + "\n");
    if (too_large)
        diag(settings.diag_out, "Response longer than " + std::to_string(settings.max_body_bytes) +
                                    " bytes; stopped reading.\n");

    // Only this product's own element gives an answer; without it, say why
    // nothing was learned (a valid file that does not list us is an answer).
    if (!out.info.found) {
        if (out.cancelled)
            out.failure = "the check was cancelled";
        else if (out.fetch.end == FetchEnd::NoConnection || out.fetch.end == FetchEnd::Failed)
            out.failure = "cannot fetch " + settings.url + ": " + out.fetch.message;
        else if (out.fetch.http_status >= 400)
            out.failure = "the server answered " + settings.url + " with HTTP status " +
                          std::to_string(out.fetch.http_status);
        else if (too_large)
            out.failure = "the version description is longer than " + std::to_string(settings.max_body_bytes) +
                          " bytes and does not name this product before that";
        else if (parser.failed())
            out.failure = "the version description is not valid XML: " + parser.error();
    }
    return out;
}

void manual_update_check(const UpdateSettings& settings, const std::atomic<bool>* cancel, std::string* failure,
                         MessageSink& sink) {
    // The manual check always answers, even when it could not run to the end.
    const char* version = nullptr;
    try {
        const ManualCheckOutcome out = run_manual_check(settings, cancel);
        if (failure) *failure = out.failure;
        if (out.info.newer) version = keep_text(out.info.server_version);
    } catch (const std::exception& e) {
        if (failure) *failure = std::string("the update check failed: ") + e.what();
    }
    if (cancel && cancel->load()) return;
    if (version)
        sink.post(WM_UPDATE_RESULT, 1, reinterpret_cast<LParam>(version));
    else
        sink.post(WM_UPDATE_RESULT, 0, 0);
}

}  // namespace quen::update
