#pragma once
// The manual update check: fetches the version description, reads it as XML
// while it arrives, and always answers (a new version, or this is the latest).
#include <atomic>
#include <string>

#include "platform/message_sink.h"
#include "update/http_fetch.h"
#include "update/update_info.h"
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

// Thread body: runs the check and posts WM_UPDATE_RESULT to `window`
// (1 with a pointer to the version text, kept for the life of the process; or
// 0, 0), unless cancelled. `failure`, when given, receives the outcome's
// failure text before the post. Returns 0.
int manual_update_check(MessageSink& window, const UpdateSettings& settings,
                        const std::atomic<bool>* cancel = nullptr, std::string* failure = nullptr);

}  // namespace quen::update
