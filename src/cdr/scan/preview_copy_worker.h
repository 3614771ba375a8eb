#pragma once
// The preview copy worker: one per process, a thread that makes preview
// copies of single found files from a first-in first-out queue and tells the
// requesting window to redraw when one is ready.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "cdr/disks/cdr_node.h"
#include "cdr/output/copy_out.h"
#include "cdr/scan/scan_tree.h"
#include "platform/message_sink.h"
#include "platform/unique_fd.h"

namespace quen::cdr {

// "<picture folder><id>-<name>": where the preview of a list entry goes.
std::string preview_path(const std::string& picture_folder, int id, const std::string& name);

class PreviewCopyWorker {
public:
    PreviewCopyWorker();
    // Ends the copy worker after the copy in progress (queued requests are dropped).
    ~PreviewCopyWorker();
    PreviewCopyWorker(const PreviewCopyWorker&) = delete;
    PreviewCopyWorker& operator=(const PreviewCopyWorker&) = delete;

    // Queues a preview copy of the item's found file to `path`; the window
    // gets WM_PREVIEW_REDRAW when the file is there. A file that already
    // exists at `path` is not copied again. The request keeps its own copy of
    // the found file's place and its own handle on the disk, so it stays valid
    // when the storage tree is freed meanwhile.
    void request_preview(const ScanListItem& item, const std::string& path, MessageSink& window);

    // Preview copies made so far (requests whose file already existed not counted).
    uint64_t copies_made() const { return copies_.load(); }

private:
    struct Request {
        std::string path;
        FoundFile file;
        platform::UniqueFd handle;
        MessageSink* window = nullptr;
    };
    void copy_loop();

    std::mutex queue_mutex_;
    std::condition_variable queue_cond_;
    std::deque<Request> queue_;
    bool quit_ = false;
    CopyBuffer buffer_;  // the worker's own: recoveries use theirs
    std::atomic<uint64_t> copies_{0};
    std::thread worker_;
};

}  // namespace quen::cdr
