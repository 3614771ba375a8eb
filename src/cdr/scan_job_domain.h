#pragma once
// The scan domain: one per process. It holds the storage provider's table of
// operations and the copy worker, a thread that makes preview copies of single
// found files from a first-in first-out queue and tells the requesting window
// to redraw when one is ready.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "cdr/cdr_image.h"
#include "cdr/copy_out.h"
#include "cdr/disk_enum.h"
#include "cdr/scan_job_tree.h"
#include "platform/message_sink.h"

namespace quen::cdr {

// The storage provider's operations, in the provider's table order.
struct CdrInfoOps {
    EnumResult (*enum_disks)(const EnumPaths&) = cdr_enum_disks;
    CdrNode* (*add_image)(CdrNode&, const std::string&, std::string*) = cdr_add_image;
    void (*free_tree)(std::unique_ptr<CdrNode>&) = cdr_free_tree;
    void (*clear_node)(CdrNode&) = cdr_clear_node;
    uint64_t (*scan)(CdrNode&, const ProgressFn&) = nullptr;  // set by the domain
    CopyResult (*copy_out)(const FoundFile&, const std::string&, int, const ProgressFn&,
                           CopyBuffer&) = cdr_copy_out;
};

// "<picture folder><id>-<name>": where the preview of a list entry goes.
std::string preview_path(const std::string& picture_folder, int id, const std::string& name);

class DomainDr {
public:
    DomainDr();
    // Ends the copy worker after the copy in progress (queued requests are dropped).
    virtual ~DomainDr();
    DomainDr(const DomainDr&) = delete;
    DomainDr& operator=(const DomainDr&) = delete;

    const CdrInfoOps& ops() const { return ops_; }

    // Queues a preview copy of the item's found file to `path`; the window
    // gets WM_PREVIEW_REDRAW when the file is there. A file that already
    // exists at `path` is not copied again. The request keeps its own copy of
    // the found file's place and its own handle on the disk, so it stays valid
    // when the storage tree is freed meanwhile.
    void request_preview(const std::string& path, const ScanListItem& item, MessageSink& window);

    // Preview copies made so far (requests whose file already existed not counted).
    uint64_t copies_made() const { return copies_.load(); }

private:
    struct Request {
        std::string path;
        FoundFile file;
        UniqueFd handle;
        MessageSink* window = nullptr;
    };
    void copy_worker();

    CdrInfoOps ops_;
    std::mutex queue_mutex_;
    std::condition_variable queue_cond_;
    std::deque<Request> queue_;
    bool quit_ = false;
    CopyBuffer buffer_;  // the worker's own: recoveries use theirs
    std::atomic<uint64_t> copies_{0};
    std::thread worker_;
};

}  // namespace quen::cdr
