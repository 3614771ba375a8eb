#pragma once
// The storage scan job: enumerates the disks on one thread, then carves every
// removable disk in turn on a scan thread that the user can pause, resume and
// stop at any moment. Results reach the receiver (the main window, the command
// line, a test) only as posted messages:
//   WM_DISKS_LISTED  enumeration finished; call on_disks_listed() on the receiving thread
//   WM_SCAN_EVENT    take_event() gives the event (one per message, in order)
//
// Handshake: pause, resume and stop are made by one requesting thread under the
// job's mutex and each waits on ack_cond until the scan thread confirms (at
// its next progress callback, or when it finishes). The scan thread sets the
// finished state under the same mutex as its last acknowledgement, so a
// request can never wait for an answer that will not come.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cdr/disks/cdr_node.h"
#include "cdr/disks/disk_enum.h"
#include "cdr/engine/carve_state.h"
#include "cdr/scan/scan_tree.h"
#include "platform/message_sink.h"

namespace quen::cdr {

enum ScanControlState : int {
    kScanIdle = 0,
    kScanRunning = 1,
    kScanPaused = 2,
    kScanStopRequested = 3,
    kScanFinished = 4,
};

enum ScanEventKind : int {
    kScanProgress = 0,   // percent of the current disk
    kScanNewType = 1,    // node: a new file-type node under disk `disk_index`
    kScanDiskDone = 2,   // disk `disk_index` is carved
    kScanAllDone = 3,
};

struct ScanEvent {
    int kind = kScanProgress;
    ScanTreeNode* node = nullptr;
    size_t disk_index = 0;  // index into disks() / disk_nodes(): the disk's tree item
    int percent = 0;
};

class ScanJob {
public:
    // Builds the storage tree (default: cdr_enum_disks plus nothing else).
    using EnumerateFn = std::function<EnumResult()>;
    // Carves one disk whole with the given callback (default:
    // carve_whole_disk). The result's bytes read, unreadable ranges and a
    // lost device are kept per disk.
    using CarveFn = std::function<CarveResult(CdrNode& disk, const ProgressFn& progress)>;

    // The engine's quick scan of the whole disk with the built-in table; what
    // the engine says is dropped.
    static CarveResult carve_whole_disk(CdrNode& disk, const ProgressFn& progress);

    ScanJob(EnumerateFn enumerate, CarveFn carve, MessageSink& window);
    // Stops a running scan and waits for the job's threads.
    ~ScanJob();
    ScanJob(const ScanJob&) = delete;
    ScanJob& operator=(const ScanJob&) = delete;

    // Starts the enumeration thread.
    void start();
    // On WM_DISKS_LISTED, on the receiving thread: lists the removable disks
    // and starts the scan thread (also with no disks).
    void on_disks_listed();
    // The pause/resume button: pauses a running scan or resumes a paused one,
    // returning once the scan thread has confirmed. Returns false when nothing
    // changed (idle, stopping or finished).
    bool pause_resume();
    // Stops a running or paused scan and returns once the scan thread has left
    // its disk loop. What was found stays.
    void stop();
    // Going back to the phone: stop, free the storage tree (closing the
    // handles) and forget the results.
    void reload();

    std::optional<ScanEvent> take_event();
    int state() const { return state_.load(std::memory_order_acquire); }

    // Valid after WM_DISKS_LISTED; the tree grows while the scan runs, so read
    // it under tree_lock() until kScanAllDone.
    ScanTreeNode* result_root() const { return result_root_.get(); }
    const std::vector<CdrNode*>& disks() const { return disks_; }
    const std::vector<ScanTreeNode*>& disk_nodes() const { return nodes_; }
    const std::vector<uint64_t>& bytes_read() const { return bytes_read_; }
    // Per disk, valid after its kScanDiskDone: the ranges that could not be
    // read (the scan went on past them), and why the disk's scan ended early
    // (empty when it did not: a card that was unplugged).
    const std::vector<std::vector<ByteRange>>& unreadable() const { return unreadable_; }
    const std::vector<std::string>& disk_errors() const { return disk_errors_; }
    const std::vector<EnumProblem>& problems() const { return problems_; }
    // Why the scan thread ended early (empty when it did not); valid after kScanAllDone.
    const std::string& failure() const { return failure_; }
    std::unique_lock<std::mutex> tree_lock() { return std::unique_lock<std::mutex>(tree_mutex_); }

    // The scan callback (the engine's ProgressFn); public for the engine only.
    int scan_callback(uint64_t total, uint64_t current, const FoundFile* found);

private:
    void enumeration_thread();
    void scan_thread();
    void post_event(const ScanEvent& e);
    void add_found(const FoundFile& f);
    void join_threads();

    MessageSink& window_;
    EnumerateFn enumerate_;
    CarveFn carve_;

    // The lock block.
    std::mutex mutex_;
    std::condition_variable resume_cond_;
    std::condition_variable ack_cond_;
    uint64_t acks_ = 0;  // counts acknowledgements; a requester waits for it to move
    std::atomic<int> state_{kScanIdle};

    std::unique_ptr<CdrNode> storage_root_;
    std::unique_ptr<ScanTreeNode> result_root_;
    std::vector<EnumProblem> problems_;
    std::string failure_;
    std::vector<CdrNode*> disks_;
    std::vector<ScanTreeNode*> nodes_;
    std::vector<uint64_t> bytes_read_;
    std::vector<std::vector<ByteRange>> unreadable_;
    std::vector<std::string> disk_errors_;
    size_t current_ = 0;
    int highest_percent_ = 0;
    std::mutex tree_mutex_;

    std::mutex events_mutex_;
    std::deque<ScanEvent> events_;

    std::thread enum_thread_;
    std::thread scan_thread_;
};

}  // namespace quen::cdr
