// The storage scan job: the pause/resume/stop handshake driven by a slow fake
// disk whose chunks the test lets through one by one, the scan events, the
// preview copy worker, and a whole scan of a generated sample card.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "cdr/disks/disk_image.h"
#include "cdr/output/copy_out.h"
#include "cdr/scan/scan_job.h"
#include "cdr/scan/preview_copy_worker.h"
#include "platform/queue_sink.h"
#include "sample_card.h"
#include "test_support/files.h"

namespace fs = std::filesystem;
using namespace quen;
using namespace quen::cdr;
using namespace std::chrono_literals;

namespace {

using quen::test::read_bytes;
using quen::test::TempDir;

std::vector<uint8_t> pattern_bytes(size_t n, uint8_t seed) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + seed + (i >> 9));
    return b;
}

// A carve's result that read `n` bytes.
CarveResult read(uint64_t n) {
    CarveResult r;
    r.bytes_read = n;
    return r;
}

// A slow disk: with the gate closed every chunk waits until the test lets it
// through. Each chunk reports its start several times (as the engine does,
// once per file type) and then its end.
class SlowDisk {
public:
    explicit SlowDisk(int chunks, bool gated) : chunks_(chunks), open_(!gated) {}

    uint64_t carve(CdrNode& disk, const ProgressFn& progress) {
        carves_.fetch_add(1);
        const uint64_t total = disk.length, step = total / static_cast<uint64_t>(chunks_);
        for (int i = 0; i < chunks_; ++i) {
            pass_gate();
            const uint64_t k = step * static_cast<uint64_t>(i);
            for (int t = 0; t < 3; ++t)
                if (progress(total, k, nullptr) == kProgressStop) return stopped(k);
            chunks_done_.fetch_add(1);
            const uint64_t end = i + 1 == chunks_ ? total : k + step;
            if (progress(total, end, nullptr) == kProgressStop) return stopped(end);
        }
        return total;
    }

    void allow(int n) {
        std::lock_guard<std::mutex> lk(m_);
        permits_ += n;
        cv_.notify_all();
    }
    void open() {
        std::lock_guard<std::mutex> lk(m_);
        open_ = true;
        cv_.notify_all();
    }
    // Returns once the scan thread waits at the gate.
    void wait_parked() {
        std::unique_lock<std::mutex> lk(m_);
        cv_.wait(lk, [&] { return parked_; });
    }

    int chunks_done() const { return chunks_done_.load(); }
    int carves() const { return carves_.load(); }
    int stops() const { return stops_.load(); }

private:
    void pass_gate() {
        std::unique_lock<std::mutex> lk(m_);
        parked_ = true;
        cv_.notify_all();
        cv_.wait(lk, [&] { return open_ || permits_ > 0; });
        if (!open_) --permits_;
        parked_ = false;
    }
    uint64_t stopped(uint64_t at) {
        stops_.fetch_add(1);
        return at;
    }

    const int chunks_;
    std::mutex m_;
    std::condition_variable cv_;
    bool open_;
    bool parked_ = false;
    int permits_ = 0;
    std::atomic<int> chunks_done_{0}, carves_{0}, stops_{0};
};

// Two removable images and a fixed disk that must not be scanned.
struct Fixture {
    TempDir dir{"quen-scanjob"};
    QueueSink sink;
    std::vector<ScanEvent> events;
    std::string img1, img2;

    Fixture() {
        img1 = dir.file("card1.img", pattern_bytes(64 * 1024, 1));
        img2 = dir.file("card2.img", pattern_bytes(32 * 1024, 2));
    }
    ScanJob::EnumerateFn enumerate() {
        return [this] {
            EnumResult r;
            r.root = make_root();
            cdr_add_image(img1, *r.root);
            CdrNode* fixed = cdr_add_image(img2, *r.root);
            fixed->removable = false;
            cdr_add_image(img2, *r.root);
            return r;
        };
    }
    // Handles messages until `done`; the job's events are collected in order.
    void pump(ScanJob& job, const std::function<bool()>& done) {
        auto handler = [&](const Message& m) {
            if (m.id == WM_DISKS_LISTED) job.on_disks_listed();
            if (m.id == WM_SCAN_EVENT) {
                auto e = job.take_event();
                ASSERT_TRUE(e);
                EXPECT_EQ(e->kind, static_cast<int>(m.wparam));
                events.push_back(*e);
            }
        };
        ASSERT_TRUE(sink.pump_until(handler, done, 20s));
    }
    bool all_done() const { return !events.empty() && events.back().kind == kScanAllDone; }
};

template <typename Pred>
void spin_until(Pred p) {
    while (!p()) std::this_thread::yield();
}

TEST(ScanJobHandshake, PauseThenStopReleasesThePausedThread) {
    Fixture fx;
    SlowDisk disk(1000, /*gated=*/true);
    ScanJob job(fx.enumerate(), [&](CdrNode& d, const ProgressFn& p) { return read(disk.carve(d, p)); }, fx.sink);
    job.start();
    fx.pump(job, [&] { return job.state() == kScanRunning; });
    ASSERT_EQ(job.disks().size(), 2u) << "the fixed disk is not scanned";
    disk.wait_parked();

    // The pause is confirmed only at the scan thread's next callback, which
    // the gate holds back.
    std::atomic<bool> paused{false};
    std::thread requester([&] { paused = job.pause_resume(); });
    spin_until([&] { return job.state() == kScanPaused; });
    EXPECT_FALSE(paused.load());
    disk.allow(1);
    requester.join();
    EXPECT_TRUE(paused.load());
    EXPECT_EQ(job.state(), kScanPaused);
    disk.open();

    job.stop();  // wakes the paused thread, which sees the stop and acknowledges
    EXPECT_EQ(job.state(), kScanFinished);
    EXPECT_EQ(disk.chunks_done(), 0);
    EXPECT_EQ(disk.stops(), 1);
    EXPECT_EQ(disk.carves(), 1) << "no further disk after a stop";
    fx.pump(job, [&] { return fx.all_done(); });
}

TEST(ScanJobHandshake, StopWhileRunningReturnsOnceAcknowledged) {
    Fixture fx;
    SlowDisk disk(1000, true);
    ScanJob job(fx.enumerate(), [&](CdrNode& d, const ProgressFn& p) { return read(disk.carve(d, p)); }, fx.sink);
    job.start();
    fx.pump(job, [&] { return job.state() == kScanRunning; });
    disk.allow(5);
    disk.wait_parked();

    std::atomic<bool> returned{false};
    std::thread requester([&] {
        job.stop();
        returned = true;
    });
    spin_until([&] { return job.state() == kScanStopRequested; });
    // The scan thread waits at the gate and cannot have acknowledged.
    EXPECT_FALSE(returned.load());
    disk.open();
    requester.join();
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(job.state(), kScanFinished);
    EXPECT_EQ(disk.chunks_done(), 5);
    EXPECT_EQ(disk.carves(), 1);
    fx.pump(job, [&] { return fx.all_done(); });
}

TEST(ScanJobHandshake, PauseResumeRoundTripThenRequestsAfterTheEndChangeNothing) {
    Fixture fx;
    SlowDisk disk(50, true);
    ScanJob job(fx.enumerate(), [&](CdrNode& d, const ProgressFn& p) { return read(disk.carve(d, p)); }, fx.sink);
    job.start();
    fx.pump(job, [&] { return job.state() == kScanRunning; });
    disk.wait_parked();
    std::thread requester([&] { EXPECT_TRUE(job.pause_resume()); });
    spin_until([&] { return job.state() == kScanPaused; });
    disk.allow(1);
    requester.join();
    EXPECT_TRUE(job.pause_resume());  // resume: confirmed by the woken thread
    EXPECT_EQ(job.state(), kScanRunning);
    disk.open();
    fx.pump(job, [&] { return fx.all_done(); });
    EXPECT_EQ(disk.chunks_done(), 100) << "both disks carved whole after the resume";

    // After the end: nothing changes, and the lock is free for the next
    // request (a held lock would hang the second call).
    EXPECT_EQ(job.state(), kScanFinished);
    EXPECT_FALSE(job.pause_resume());
    EXPECT_FALSE(job.pause_resume());
    job.stop();
    EXPECT_EQ(job.state(), kScanFinished);
}

TEST(ScanJobHandshake, RequestsRacingTheEndNeverHang) {
    // A request that lands while the scan thread finishes must not wait for an
    // acknowledgement that will not come.
    for (int round = 0; round < 200; ++round) {
        Fixture fx;
        SlowDisk disk(2, false);
        ScanJob job(fx.enumerate(), [&](CdrNode& d, const ProgressFn& p) { return read(disk.carve(d, p)); }, fx.sink);
        job.start();
        fx.pump(job, [&] { return job.state() != kScanIdle; });
        while (job.state() != kScanFinished) {
            if (job.pause_resume() && job.state() == kScanPaused) job.pause_resume();
        }
        job.stop();
    }
}

TEST(ScanJobEvents, ProgressPerDiskNeverRepeatsOrGoesBackwards) {
    Fixture fx;
    SlowDisk disk(300, false);
    ScanJob job(fx.enumerate(), [&](CdrNode& d, const ProgressFn& p) { return read(disk.carve(d, p)); }, fx.sink);
    job.start();
    fx.pump(job, [&] { return fx.all_done(); });

    std::map<size_t, int> last;
    std::vector<size_t> finished;
    for (const ScanEvent& e : fx.events) {
        if (e.kind == kScanProgress) {
            auto it = last.find(e.disk_index);
            if (it != last.end()) {
                EXPECT_GT(e.percent, it->second) << "disk " << e.disk_index;
            }
            EXPECT_GE(e.percent, 1);
            EXPECT_LE(e.percent, 100);
            last[e.disk_index] = e.percent;
        } else if (e.kind == kScanDiskDone) {
            EXPECT_EQ(e.node, job.disk_nodes()[e.disk_index]);
            finished.push_back(e.disk_index);
        }
    }
    EXPECT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0], 100);
    EXPECT_EQ(last[1], 100);
    EXPECT_EQ(finished, (std::vector<size_t>{0, 1}));
    EXPECT_EQ(fx.events.back().kind, kScanAllDone);
    EXPECT_EQ(job.bytes_read()[0], 64u * 1024);
}

TEST(ScanJobEvents, FirstJpegCreatesItsTypeNodeWithOneItem) {
    Fixture fx;
    std::mutex m;
    std::condition_variable cv;
    bool disk_unchecked = false, go_on = false;
    // Sets up type nodes as the engine does, waits until the test has
    // unchecked the disk, records one JPEG, waits, records another.
    auto carve = [&](CdrNode& d, const ProgressFn& p) -> CarveResult {
        CdrNode* jpg = d.add_child(CdrKind::FileType, "jpg");
        d.add_child(CdrKind::FileType, "png");
        {
            std::unique_lock<std::mutex> lk(m);
            cv.wait(lk, [&] { return disk_unchecked; });
        }
        p(d.length, 512, &jpg->add_found_file("1.jpg", 100, 512));
        {
            std::unique_lock<std::mutex> lk(m);
            cv.wait(lk, [&] { return go_on; });
        }
        p(d.length, 4096, &jpg->add_found_file("8.jpg", 50, 4096));
        return read(d.length);
    };
    ScanJob job(fx.enumerate(), carve, fx.sink);
    job.start();
    fx.pump(job, [&] { return job.state() == kScanRunning; });
    ScanTreeNode* disk0 = job.disk_nodes()[0];
    {
        auto lk = job.tree_lock();
        disk0->checked = false;  // unchecked disk: new type nodes and items follow it
    }
    {
        std::lock_guard<std::mutex> lk(m);
        disk_unchecked = true;
    }
    cv.notify_all();
    fx.pump(job, [&] { return !fx.events.empty() && fx.events.back().kind == kScanNewType; });
    const ScanEvent first = fx.events.back();
    EXPECT_EQ(first.disk_index, 0u);
    {
        auto lk = job.tree_lock();
        ASSERT_TRUE(first.node);
        EXPECT_EQ(first.node->name, "jpg");
        EXPECT_EQ(first.node->parent, disk0);
        ASSERT_EQ(first.node->items.size(), 1u);
        EXPECT_EQ(first.node->items.front().name, "1.jpg");
        EXPECT_FALSE(first.node->checked);
        EXPECT_FALSE(first.node->items.front().checked);
    }
    {
        std::lock_guard<std::mutex> lk(m);
        go_on = true;
    }
    cv.notify_all();
    fx.pump(job, [&] { return fx.all_done(); });
    int new_types = 0;
    for (const auto& e : fx.events) new_types += e.kind == kScanNewType;
    EXPECT_EQ(new_types, 2) << "one jpg node per disk; no node for a type without files";
    EXPECT_EQ(first.node->items.size(), 2u);
    EXPECT_FALSE(first.node->items.back().checked);
    EXPECT_EQ(disk0->type_map.count("png"), 0u);
}

TEST(ScanJobEvents, ReloadFreesTheTreeAndAllowsANewScan) {
    Fixture fx;
    SlowDisk disk(4, false);
    ScanJob job(fx.enumerate(), [&](CdrNode& d, const ProgressFn& p) { return read(disk.carve(d, p)); }, fx.sink);
    job.start();
    fx.pump(job, [&] { return fx.all_done(); });
    job.reload();
    EXPECT_EQ(job.result_root(), nullptr);
    EXPECT_TRUE(job.disks().empty());
    fx.events.clear();
    job.start();
    fx.pump(job, [&] { return fx.all_done(); });
    EXPECT_EQ(disk.carves(), 4);
}

TEST(CopyWorker, SamePreviewTwiceCopiesOnceAndOutlivesTheTree) {
    TempDir dir("quen-scanjob");
    const auto content = pattern_bytes(300 * 1024, 9);
    auto root = make_root();
    CdrNode* disk = cdr_add_image(dir.file("card.img", content), *root);
    ASSERT_TRUE(disk);
    CdrNode* jpg = disk->add_child(CdrKind::FileType, "jpg");
    jpg->add_found_file("3.jpg", 200000, 1536);
    jpg->add_found_file("20.jpg", 1000, 10240 + 7);
    auto tree = build_scan_tree(*disk);
    const ScanTreeNode& type = *tree->children.back();
    ASSERT_EQ(type.items.size(), 2u);

    QueueSink sink;
    PreviewCopyWorker worker;
    const std::string a = preview_path(dir.path() + "/", 1, "3.jpg");
    EXPECT_EQ(a, dir.path() + "/1-3.jpg");
    const std::string b = preview_path(dir.path() + "/", 2, "20.jpg");
    worker.request_preview(type.items.front(), a, sink);
    worker.request_preview(type.items.front(), a, sink);
    worker.request_preview(type.items.back(), b, sink);
    // The requests carry what they need: the tree may go meanwhile.
    tree.reset();
    cdr_free_tree(root);

    int redraws = 0;
    ASSERT_TRUE(sink.pump_until([&](const Message& m) { redraws += m.id == WM_PREVIEW_REDRAW; },
                                [&] { return redraws == 3; }, 20s));
    EXPECT_EQ(worker.copies_made(), 2u);
    EXPECT_EQ(read_bytes(a), std::vector<uint8_t>(content.begin() + 1536, content.begin() + 1536 + 200000));
    EXPECT_EQ(read_bytes(b), std::vector<uint8_t>(content.begin() + 10247, content.begin() + 10247 + 1000));
}

TEST(ScanJobSampleCard, FoundFilesCopyOutByteForByte) {
    quen::sample::Card card;
    std::string error;
    ASSERT_TRUE(quen::sample::make_sample_card(64 * quen::sample::kMiB, 11, card, error)) << error;
    TempDir dir("quen-scanjob");
    const std::string img = dir.file("sample.img", card.image);

    QueueSink sink;
    ScanJob job([&] {
        EnumResult r;
        r.root = make_root();
        cdr_add_image(img, *r.root);
        return r;
    }, {}, sink);
    job.start();
    bool done = false;
    ASSERT_TRUE(sink.pump_until(
        [&](const Message& m) {
            if (m.id == WM_DISKS_LISTED) job.on_disks_listed();
            if (m.id == WM_SCAN_EVENT) done = job.take_event()->kind == kScanAllDone;
        },
        [&] { return done; }, 120s));
    ASSERT_EQ(job.disks().size(), 1u);
    EXPECT_GE(job.bytes_read()[0], card.image.size());

    // Every file the scan found where the generator put an original is copied
    // out through the copy handle and must equal that original byte for byte.
    std::map<std::string, quen::sample::ExpectedFile> expected;
    for (const auto& e : card.expected) expected[e.name] = e;
    CopyBuffer buffer;
    size_t matched = 0;
    for (const auto& t : job.disk_nodes()[0]->children) {
        if (!t->is_file_type()) continue;
        for (const auto& item : t->items) {
            auto it = expected.find(item.name);
            if (it == expected.end() || it->second.offset != item.file->offset ||
                it->second.size != item.file->size)
                continue;
            ++matched;
            const auto& e = it->second;
            const std::string out = dir.path() + "/" + e.name;
            CopyResult r = cdr_copy_out(*item.file, job.disks()[0]->copy_fd(), out, buffer, {});
            ASSERT_TRUE(r.ok()) << e.name;
            EXPECT_EQ(r.written, e.size);
            EXPECT_TRUE(read_bytes(out) == std::vector<uint8_t>(card.image.begin() + static_cast<long>(e.offset),
                                                               card.image.begin() + static_cast<long>(e.offset + e.size)))
                << e.name;
            fs::remove(out);
        }
    }
    EXPECT_GT(matched, card.expected.size() / 2);
}

}  // namespace
