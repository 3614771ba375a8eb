#pragma once
// The texts the message box shows for a WM_UPDATE_RESULT.
#include <string>
#include <string_view>

#include "platform/message_sink.h"

namespace quen::update {

// wparam 1: "A new version of (<version>) is available. Click Yes to open
// download page."; wparam 0: "This version of (2.1.0.35) is the latest version."
std::string new_version_text(std::string_view version);
std::string latest_version_text();

// The text for a result message as it arrives; lparam points at the version
// text (NUL-terminated UTF-8) when wparam is not 0.
std::string update_result_text(WParam wparam, LParam lparam);

}  // namespace quen::update
