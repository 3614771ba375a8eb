#include "update/update_thread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "update/automatic_check.h"
#include "update/manual_check.h"

namespace quen::update {

struct UpdateCheckHandle::Control {
    std::atomic<bool> cancel{false};
    mutable std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::string failure;

    void finish(std::string why) {
        {
            std::lock_guard lk(mutex);
            done = true;
            failure = std::move(why);
        }
        ended.notify_all();
    }
};

void UpdateCheckHandle::cancel() {
    if (control_) control_->cancel = true;
}

bool UpdateCheckHandle::finished() const { return wait_for(std::chrono::milliseconds(0)); }

bool UpdateCheckHandle::wait_for(std::chrono::milliseconds timeout) const {
    if (!control_) return true;
    std::unique_lock lk(control_->mutex);
    return control_->ended.wait_for(lk, timeout, [&] { return control_->done; });
}

std::string UpdateCheckHandle::failure() const {
    if (!control_) return {};
    std::lock_guard lk(control_->mutex);
    return control_->failure;
}

namespace {

using CheckBody = void (*)(const UpdateSettings&, const std::atomic<bool>*, std::string*, MessageSink&);

UpdateCheckHandle start(CheckBody body, UpdateSettings settings, std::shared_ptr<MessageSink> sink) {
    auto control = std::make_shared<UpdateCheckHandle::Control>();
    try {
        // The thread owns copies of everything it uses; no handle is kept, as
        // with any short worker.
        std::thread([body, control, sink = std::move(sink), settings = std::move(settings)] {
            std::string why;
            try {
                body(settings, &control->cancel, &why, *sink);
            } catch (const std::exception& e) {
                why = e.what();
            } catch (...) {
                why = "the update check failed";
            }
            control->finish(std::move(why));
        }).detach();
    } catch (const std::system_error& e) {
        control->finish(std::string("cannot start the update check: ") + e.what());
    }
    return UpdateCheckHandle(control);
}

}  // namespace

UpdateCheckHandle start_manual_update_check(UpdateSettings settings, std::shared_ptr<MessageSink> sink) {
    return start(&manual_update_check, std::move(settings), std::move(sink));
}

UpdateCheckHandle start_automatic_update_check(UpdateSettings settings, std::shared_ptr<MessageSink> sink) {
    return start(&automatic_update_check, std::move(settings), std::move(sink));
}

}  // namespace quen::update
