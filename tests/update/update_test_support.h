#pragma once
// Shared by the update tests: settings for a local server, with short
// time-outs and no diagnostic output.
#include <chrono>
#include <string>

#include "update/update_settings.h"

namespace quen::test {

inline update::UpdateSettings local_settings(const std::string& url,
                                             std::chrono::milliseconds total = std::chrono::seconds(10)) {
    update::UpdateSettings s;
    s.url = url;
    s.connect_timeout = std::chrono::seconds(5);
    s.total_timeout = total;
    s.diag_out = nullptr;
    s.diag_err = nullptr;
    return s;
}

inline std::string product(const std::string& name, const std::string& version) {
    return "<product name=\"" + name + "\" version=\"" + version + "\"/>";
}

inline std::string nversion_json(const std::string& version) {
    return "{\"Contavire\": [{\"Nversion\": \"" + version + "\", \"Url\": \"x\"}, {\"Nversion\": \"9.9.9.9\"}]}";
}

inline const std::string kOurs = "Quenfora Corvalin for Android";

}  // namespace quen::test
