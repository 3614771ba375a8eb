#include "app/storage_scan.h"

#include "cdr/disks/disk_image.h"

namespace quen::app {

cdr::ScanJob::EnumerateFn storage_enumeration(bool system_disks, std::vector<std::string> images) {
    return [system_disks, images = std::move(images)] {
        cdr::EnumResult r;
        if (system_disks) r = cdr::cdr_enum_disks();
        if (!r.root) r.root = cdr::make_root();
        for (const std::string& image : images) {
            std::string error;
            if (!cdr::cdr_add_image(image, *r.root, &error))
                r.problems.push_back({error.empty() ? "cannot open " + image : error, true});
        }
        return r;
    };
}

}  // namespace quen::app
