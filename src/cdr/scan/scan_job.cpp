#include "cdr/scan/scan_job.h"

#include <exception>

#include "cdr/engine/engine.h"

namespace quen::cdr {

ScanJob::ScanJob(EnumerateFn enumerate, CarveFn carve, MessageSink& window)
    : window_(window),
      enumerate_(enumerate ? std::move(enumerate) : EnumerateFn([] { return cdr_enum_disks(); })),
      carve_(carve ? std::move(carve) : CarveFn(carve_whole_disk)) {}

CarveResult ScanJob::carve_whole_disk(CdrNode& disk, const ProgressFn& progress) {
    // The whole built-in table in quick mode, from the disk's byte 0 over its
    // whole medium; the engine's own text is not shown anywhere.
    return carve_disk(disk, {}, progress);
}

ScanJob::~ScanJob() {
    stop();
    join_threads();
}

void ScanJob::join_threads() {
    if (enum_thread_.joinable()) enum_thread_.join();
    if (scan_thread_.joinable()) scan_thread_.join();
}

void ScanJob::start() {
    join_threads();
    enum_thread_ = std::thread([this] { enumeration_thread(); });
}

void ScanJob::enumeration_thread() {
    try {
        EnumResult r = enumerate_();
        std::lock_guard<std::mutex> lk(tree_mutex_);
        storage_root_ = std::move(r.root);
        problems_ = std::move(r.problems);
        if (storage_root_) result_root_ = build_scan_tree(*storage_root_);
    } catch (const std::exception& e) {
        problems_.push_back({std::string("disk enumeration failed: ") + e.what(), true});
    }
    // The receiver reads the tree only after this message.
    window_.post(WM_DISKS_LISTED);
}

void ScanJob::on_disks_listed() {
    join_threads();
    failure_.clear();
    current_ = 0;
    disks_.clear();
    nodes_.clear();
    if (result_root_) {
        // Only removable disks are scanned; fixed disks are neither shown nor read.
        for (auto& d : result_root_->children) {
            if (!d->removable || !d->source) continue;
            disks_.push_back(d->source);
            nodes_.push_back(d.get());
        }
    }
    bytes_read_.assign(disks_.size(), 0);
    unreadable_.assign(disks_.size(), {});
    disk_errors_.assign(disks_.size(), {});
    {
        // Running from here on, so that a stop requested before the thread
        // gets going is not lost.
        std::lock_guard<std::mutex> lk(mutex_);
        state_.store(kScanRunning, std::memory_order_release);
    }
    scan_thread_ = std::thread([this] { scan_thread(); });
}

void ScanJob::scan_thread() {
    try {
        for (size_t i = 0; i < disks_.size(); ++i) {
            if (state() == kScanStopRequested) break;
            {
                std::lock_guard<std::mutex> lk(tree_mutex_);
                current_ = i;
                highest_percent_ = 0;
            }
            CarveResult r = carve_(*disks_[i], [this](uint64_t total, uint64_t current, const FoundFile* f) {
                return scan_callback(total, current, f);
            });
            bytes_read_[i] = r.bytes_read;
            unreadable_[i] = std::move(r.unreadable);
            if (r.status == CarveStatus::DeviceLost || r.status == CarveStatus::InputError)
                disk_errors_[i] = r.message.substr(0, r.message.find('\n'));
            ScanEvent e;
            e.kind = kScanDiskDone;
            e.node = nodes_[i];
            e.disk_index = i;
            post_event(e);
        }
    } catch (const std::exception& e) {
        // Read by the receiver after kScanAllDone, which is posted below.
        failure_ = std::string("storage scan: ") + e.what();
    }
    {
        // Finished and acknowledged in one step under the lock: a request that
        // takes the lock afterwards sees the finished state and does not wait.
        std::lock_guard<std::mutex> lk(mutex_);
        state_.store(kScanFinished, std::memory_order_release);
        ++acks_;
    }
    ack_cond_.notify_all();
    ScanEvent e;
    e.kind = kScanAllDone;
    post_event(e);
}

int ScanJob::scan_callback(uint64_t total, uint64_t current, const FoundFile* found) {
    if (state() == kScanPaused) {
        std::unique_lock<std::mutex> lk(mutex_);
        if (state() == kScanPaused) {
            ++acks_;  // the pause is confirmed
            ack_cond_.notify_all();
            resume_cond_.wait(lk, [this] { return state() != kScanPaused; });
            if (state() == kScanRunning) {
                ++acks_;  // the resume is confirmed
                ack_cond_.notify_all();
            }
        }
    }
    if (state() == kScanStopRequested) return kProgressStop;
    if (found) add_found(*found);
    if (total != 0 && current != 0) {
        double ratio = static_cast<double>(current) / static_cast<double>(total) * 100.0;
        int percent = ratio >= 100.0 ? 100 : static_cast<int>(ratio);
        if (percent > highest_percent_) {
            highest_percent_ = percent;
            ScanEvent e;
            e.kind = kScanProgress;
            e.node = nodes_[current_];
            e.disk_index = current_;
            e.percent = percent;
            post_event(e);
        }
    }
    return kProgressGoOn;
}

void ScanJob::add_found(const FoundFile& f) {
    if (!f.owner || current_ >= nodes_.size()) return;
    ScanEvent e;
    {
        std::lock_guard<std::mutex> lk(tree_mutex_);
        ScanTreeNode* disk = nodes_[current_];
        auto it = disk->type_map.find(f.owner->name);
        if (it != disk->type_map.end()) {
            ScanListItem& item = it->second->add_item(f);
            item.checked = it->second->checked;
            return;
        }
        // The first file of its type on this disk: the type node arrives with
        // this file as its first item.
        auto node = build_scan_tree(*f.owner);
        node->parent = disk;
        node->checked = disk->checked;
        for (auto& item : node->items) item.checked = disk->checked;
        ScanTreeNode* raw = node.get();
        disk->children.push_back(std::move(node));
        disk->type_map[f.owner->name] = raw;
        e.kind = kScanNewType;
        e.node = raw;
        e.disk_index = current_;
    }
    post_event(e);
}

void ScanJob::post_event(const ScanEvent& e) {
    {
        std::lock_guard<std::mutex> lk(events_mutex_);
        events_.push_back(e);
    }
    window_.post(WM_SCAN_EVENT, static_cast<WParam>(e.kind), static_cast<LParam>(e.percent));
}

std::optional<ScanEvent> ScanJob::take_event() {
    std::lock_guard<std::mutex> lk(events_mutex_);
    if (events_.empty()) return std::nullopt;
    ScanEvent e = events_.front();
    events_.pop_front();
    return e;
}

bool ScanJob::pause_resume() {
    const int s = state();
    if (s != kScanPaused && s != kScanRunning) return false;
    std::unique_lock<std::mutex> lk(mutex_);
    const int now = state();
    if (now != kScanPaused && now != kScanRunning) return false;
    const uint64_t seen = acks_;
    if (now == kScanPaused) {
        state_.store(kScanRunning, std::memory_order_release);
        resume_cond_.notify_all();
    } else {
        state_.store(kScanPaused, std::memory_order_release);
    }
    // Confirmed at the scan thread's next callback, or by its end.
    ack_cond_.wait(lk, [&] { return acks_ != seen || state() == kScanFinished; });
    return true;
}

void ScanJob::stop() {
    std::unique_lock<std::mutex> lk(mutex_);
    const int s = state();
    if (s == kScanIdle || s == kScanStopRequested || s == kScanFinished) return;
    state_.store(kScanStopRequested, std::memory_order_release);
    resume_cond_.notify_all();  // releases a paused scan thread
    ack_cond_.wait(lk, [this] { return state() == kScanFinished; });
}

void ScanJob::reload() {
    stop();
    join_threads();
    std::lock_guard<std::mutex> lk(tree_mutex_);
    disks_.clear();
    nodes_.clear();
    bytes_read_.clear();
    unreadable_.clear();
    disk_errors_.clear();
    current_ = 0;
    highest_percent_ = 0;
    result_root_.reset();  // points into the storage tree: goes first
    cdr_free_tree(storage_root_);
    {
        std::lock_guard<std::mutex> ev(events_mutex_);
        events_.clear();
    }
    state_.store(kScanIdle, std::memory_order_release);
}

}  // namespace quen::cdr
