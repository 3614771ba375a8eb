#pragma once
// Starts the update checks on threads of their own. A thread shares ownership
// of the sink it reports to and of its control block, so it never touches
// anything that may be gone; nobody has to wait for it. Diagnostic streams in
// the settings must outlive the check (stdout and stderr do).
#include <chrono>
#include <memory>
#include <string>

#include "platform/message_sink.h"
#include "update/update_settings.h"

namespace quen::update {

class UpdateCheckHandle {
public:
    struct Control;
    UpdateCheckHandle() = default;
    explicit UpdateCheckHandle(std::shared_ptr<Control> control) : control_(std::move(control)) {}

    // Asks the check to end soon (an unfinished transfer is aborted) and to
    // report nothing it has not reported yet.
    void cancel();
    bool finished() const;
    // Waits at most `timeout` for the thread to end; true when it has.
    bool wait_for(std::chrono::milliseconds timeout) const;
    // After the end: why the check learned nothing, empty when it got an answer.
    std::string failure() const;

private:
    std::shared_ptr<Control> control_;
};

// The manual check: always posts WM_UPDATE_RESULT to `sink` (unless cancelled).
UpdateCheckHandle start_manual_update_check(UpdateSettings settings, std::shared_ptr<MessageSink> sink);

// The automatic check: sends WM_UPDATE_RESULT to `sink` only for a newer version.
UpdateCheckHandle start_automatic_update_check(UpdateSettings settings, std::shared_ptr<MessageSink> sink);

}  // namespace quen::update
