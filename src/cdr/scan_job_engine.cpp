#include "cdr/carve_catalog.h"
#include "cdr/engine.h"
#include "cdr/engine_scan.h"
#include "cdr/scan_job.h"

namespace quen::cdr {

uint64_t carve_disk_with_engine(CdrNode& disk, const ProgressFn& progress) {
    // No type groups: the whole built-in table, in quick mode, from the
    // disk's byte 0 over its whole medium.
    CarveResult result;
    cdr_scan(&disk, 0, progress, &result);
    return result.bytes_read;
}

uint64_t carve_disk_quietly(CdrNode& disk, const ProgressFn& progress) {
    CarveRunConfig cfg;
    cfg.progress = progress;
    cfg.messages = nullptr;
    return carve_run(scan_arguments(disk.path, ""), disk, builtin_catalog(), cfg).bytes_read;
}

}  // namespace quen::cdr
