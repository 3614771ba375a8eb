#pragma once
// Where the update checks look and how long they may take.
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace quen::update {

// The address built in with -DQUEN_UPDATE_URL=... (default
// "http://www.quenfora.com/win-update.xml").
std::string default_update_url();

struct UpdateSettings {
    std::string url = default_update_url();
    // Every transfer ends within these, whatever the server does.
    std::chrono::milliseconds connect_timeout{10000};
    std::chrono::milliseconds total_timeout{30000};
    // The manual check stops reading a body past this many bytes.
    std::size_t max_body_bytes = std::size_t{4} << 20;
    // Diagnostic lines of the manual check ("www_start: ...", network errors),
    // and its XML errors. Not owned; null for none.
    std::FILE* diag_out = stdout;
    std::FILE* diag_err = stderr;
};

// True for an absolute http or https URL with a host; else false with the
// reason in `why`.
bool is_usable_update_url(const std::string& url, std::string* why);

// The host part of a URL, or empty.
std::string url_host(const std::string& url);

}  // namespace quen::update
