#include "update/update_settings.h"

#include <curl/curl.h>
#include <memory>

#ifndef QUEN_UPDATE_URL
#define QUEN_UPDATE_URL "http://www.quenfora.com/win-update.xml"
#endif

namespace quen::update {
namespace {

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct TextDeleter {
    void operator()(char* text) const { curl_free(text); }
};

// One part of a parsed URL, or empty when the URL or the part is missing.
std::string url_part(const std::string& url, CURLUPart which, bool* parsed) {
    std::unique_ptr<CURLU, UrlDeleter> parser(curl_url());
    if (parsed) *parsed = false;
    if (!parser || curl_url_set(parser.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return {};
    if (parsed) *parsed = true;
    char* raw = nullptr;
    if (curl_url_get(parser.get(), which, &raw, 0) != CURLUE_OK || !raw) return {};
    std::unique_ptr<char, TextDeleter> text(raw);
    return std::string(text.get());
}

}  // namespace

std::string default_update_url() { return QUEN_UPDATE_URL; }

std::string url_host(const std::string& url) { return url_part(url, CURLUPART_HOST, nullptr); }

bool is_usable_update_url(const std::string& url, std::string* why) {
    bool parsed = false;
    const std::string scheme = url_part(url, CURLUPART_SCHEME, &parsed);
    std::string reason;
    if (!parsed)
        reason = "not a URL: " + url;
    else if (scheme != "http" && scheme != "https")
        reason = "only http and https are supported: " + url;
    else if (url_host(url).empty())
        reason = "no host in " + url;
    if (why) *why = reason;
    return reason.empty();
}

}  // namespace quen::update
