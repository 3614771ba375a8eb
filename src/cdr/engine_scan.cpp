#include "cdr/engine_scan.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>

#include "cdr/carve_catalog.h"
#include "cdr/engine.h"

namespace quen::cdr {

std::string scan_type_list(uint32_t groups) {
    std::string list;
    auto add = [&list](const char* names) {
        if (!list.empty()) list += ',';
        list += names;
    };
    if (groups & kScanPictures) add("jpg,png,gif,bmp");
    if (groups & kScanVideo) add("mpg,avi,wmv,mov,wav,vjpeg,rif");
    if (groups & kScanDocuments) add("pdf,doc,htm,xls,ppt,cpp,sxw,sxc,sxi,wpd");
    return list;
}

int cdr_scan(CdrNode* partition, uint32_t type_groups, ProgressFn progress, CarveResult* result) {
    assert(partition && "partition");
    if (!partition) return -1;
    const std::string types = scan_type_list(type_groups);
    if (!types.empty()) std::printf("-t: %s\n", types.c_str());
    CarveRunConfig cfg;
    cfg.progress = std::move(progress);
    cfg.posixly_correct = std::getenv("POSIXLY_CORRECT") != nullptr;
    CarveResult r = carve_run(scan_arguments(partition->path, types), *partition, builtin_catalog(), cfg);
    if (result) *result = std::move(r);
    return 0;
}

}  // namespace quen::cdr
