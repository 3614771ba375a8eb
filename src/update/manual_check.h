#pragma once
// The manual update check: fetches the version description, reads it as XML
// while it arrives, and always answers (a new version, or this is the latest).
#include <atomic>
#include <string>

#include "platform/message_sink.h"
#include "update/description/update_info.h"
#include "update/http_fetch.h"
#include "update/update_settings.h"

namespace quen::update {

struct ManualCheckOutcome {
    UpdateInfo info;      // info.newer: announce info.server_version
    FetchResult fetch;
    bool cancelled = false;
    // Why the check learned nothing, empty when it got an answer. The window
    // still shows "latest version" then; the command line reports it.
    std::string failure;
};

// Runs the check on the calling thread.
ManualCheckOutcome run_manual_check(const UpdateSettings& settings, const std::atomic<bool>* cancel = nullptr);

// Thread body: runs the check and posts WM_UPDATE_RESULT to `sink` (1 with a
// pointer to the version text, kept for the life of the process; or 0, 0),
// unless cancelled. `cancel` may be null; `failure`, when not null, receives
// the outcome's failure text before the post.
void manual_update_check(const UpdateSettings& settings, const std::atomic<bool>* cancel, std::string* failure,
                         MessageSink& sink);

}  // namespace quen::update
