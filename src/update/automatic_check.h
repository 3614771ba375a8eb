#pragma once
// The automatic update check: fetches the version description once, reads it
// as JSON, and speaks only when it names a newer version than ours.
#include <atomic>
#include <string>

#include "platform/message_sink.h"
#include "update/update_settings.h"

namespace quen::update {

// The check reads at most this many bytes of the description.
constexpr std::size_t kAutomaticReadLimit = 1024;

enum class AutomaticEnd {
    Announce,      // "version" is newer than ours
    Silent,        // the description names no newer version
    NoConnection,  // the host does not resolve or cannot be reached
    Failed,        // the transfer failed or the answer is no description
    Cancelled,
};

struct AutomaticCheckOutcome {
    AutomaticEnd end = AutomaticEnd::Failed;
    std::string version;  // "Nversion" as read (empty when absent)
    std::string failure;  // why, for NoConnection and Failed
};

AutomaticCheckOutcome run_automatic_check(const UpdateSettings& settings, const std::atomic<bool>* cancel = nullptr);

// Thread body: runs the check and, for a newer version, sends WM_UPDATE_RESULT
// (1, pointer to the version text) to `sink`, waiting until it has been
// handled. Everything else ends silently. `cancel` may be null; `failure`,
// when not null, receives the outcome's failure text.
void automatic_update_check(const UpdateSettings& settings, const std::atomic<bool>* cancel, std::string* failure,
                            MessageSink& sink);

}  // namespace quen::update
