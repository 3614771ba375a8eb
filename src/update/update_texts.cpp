#include "update/update_texts.h"

#include "update/description/update_info.h"

namespace quen::update {

std::string new_version_text(std::string_view version) {
    std::string text = "A new version of (";
    text += version;
    text += ") is available. Click Yes to open download page.";
    return text;
}

std::string latest_version_text() {
    std::string text = "This version of (";
    text += kOwnVersion;
    text += ") is the latest version.";
    return text;
}

std::string update_result_text(WParam wparam, LParam lparam) {
    if (wparam != 0 && lparam != 0) return new_version_text(reinterpret_cast<const char*>(lparam));
    return latest_version_text();
}

}  // namespace quen::update
