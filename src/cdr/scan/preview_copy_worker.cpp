#include "cdr/scan/preview_copy_worker.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "cdr/output/recovery_state.h"

namespace quen::cdr {

std::string preview_path(const std::string& picture_folder, int id, const std::string& name) {
    return picture_folder + std::to_string(id) + "-" + name;
}

PreviewCopyWorker::PreviewCopyWorker() { worker_ = std::thread([this] { copy_loop(); }); }

PreviewCopyWorker::~PreviewCopyWorker() {
    {
        std::lock_guard<std::mutex> lk(queue_mutex_);
        quit_ = true;
        queue_.clear();
    }
    queue_cond_.notify_all();
    worker_.join();
}

void PreviewCopyWorker::request_preview(const ScanListItem& item, const std::string& path, MessageSink& window) {
    Request r;
    r.path = path;
    r.window = &window;
    if (item.file) {
        r.file = *item.file;
        r.file.owner = nullptr;  // the request must not reach into the tree later
        int fd = item.file->owner ? item.file->owner->copy_fd() : -1;
        if (fd >= 0) r.handle.reset(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    }
    {
        std::lock_guard<std::mutex> lk(queue_mutex_);
        queue_.push_back(std::move(r));
    }
    queue_cond_.notify_one();
}

void PreviewCopyWorker::copy_loop() {
    for (;;) {
        Request r;
        {
            std::unique_lock<std::mutex> lk(queue_mutex_);
            queue_cond_.wait(lk, [this] { return quit_ || !queue_.empty(); });
            if (quit_) return;
            r = std::move(queue_.front());
            queue_.pop_front();
        }
        struct stat st {};
        if (::stat(r.path.c_str(), &st) != 0 && r.handle.valid()) {
            // A failed copy leaves a short or missing file; the preview shows what is there.
            cdr_copy_out(r.file, r.handle.get(), r.path, buffer_, process_recovery_state().stop_check());
            ++copies_;
        }
        r.window->post(WM_PREVIEW_REDRAW);
    }
}

}  // namespace quen::cdr
