#pragma once
// One run of the storage scan as the window holds it: the job, the relay its
// messages come through, and the tree items of its disks. A results page can
// hold several: the first scans the removable disks and the images opened so
// far, each later one an image opened while or after the first ran.
#include <memory>
#include <string>
#include <vector>

#include "cdr/scan/scan_job.h"
#include "ui/sink/message_relay.h"

namespace quen::ui {
class TreeItem;
}

namespace quen::app {

struct StorageScan {
    // Declared first, destroyed last: the job (which stops and joins its
    // threads) goes before the sink it reports to.
    std::unique_ptr<ui::MessageRelay> relay;
    std::unique_ptr<cdr::ScanJob> job;
    std::vector<ui::TreeItem*> disk_items;  // by disk index, after WM_DISKS_LISTED
    std::vector<std::string> images;        // what it was asked to add as disks
    bool listed = false;
    bool stop_asked = false;  // Stop pressed while its disks were being listed
    bool finished = false;

    // Whether the scan thread runs or is paused.
    bool active() const {
        const int s = job ? job->state() : cdr::kScanIdle;
        return s == cdr::kScanRunning || s == cdr::kScanPaused;
    }
};

// What a scan enumerates: the PC's own disks when asked, then each image as a
// removable disk (an image that cannot be opened is a problem of a removable
// disk, so the results page names it).
cdr::ScanJob::EnumerateFn storage_enumeration(bool system_disks, std::vector<std::string> images);

}  // namespace quen::app
