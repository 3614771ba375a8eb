#include "cdr/disks/volume_probe.h"

#include <blkid/blkid.h>

#include <cstring>
#include <memory>

namespace quen::cdr {
namespace {

struct ProbeDeleter {
    void operator()(blkid_struct_probe* p) const { blkid_free_probe(p); }
};
using Probe = std::unique_ptr<blkid_struct_probe, ProbeDeleter>;

Probe make_probe(int fd, uint64_t offset, uint64_t length) {
    if (fd < 0 || length == 0) return {};
    Probe pr(blkid_new_probe());
    if (!pr) return {};
    if (blkid_probe_set_device(pr.get(), fd, static_cast<blkid_loff_t>(offset),
                               static_cast<blkid_loff_t>(length)) != 0)
        return {};
    return pr;
}

std::string lookup(blkid_probe pr, const char* name) {
    const char* v = nullptr;
    size_t len = 0;
    if (blkid_probe_lookup_value(pr, name, &v, &len) != 0 || !v) return {};
    // libblkid counts the terminating zero in len; stop at the first zero anyway.
    return std::string(v, strnlen(v, len));
}

}  // namespace

PartitionStyle probe_partition_style(int fd, uint64_t disk_length) {
    Probe pr = make_probe(fd, 0, disk_length);
    if (!pr) return PartitionStyle::Raw;
    blkid_probe_enable_superblocks(pr.get(), 0);
    blkid_probe_enable_partitions(pr.get(), 1);
    if (blkid_do_fullprobe(pr.get()) != 0) return PartitionStyle::Raw;
    blkid_partlist ls = blkid_probe_get_partitions(pr.get());
    if (!ls) return PartitionStyle::Raw;
    blkid_parttable tab = blkid_partlist_get_table(ls);
    const char* type = tab ? blkid_parttable_get_type(tab) : nullptr;
    if (!type) return PartitionStyle::Raw;
    if (std::strcmp(type, "gpt") == 0) return PartitionStyle::Gpt;
    if (std::strcmp(type, "dos") == 0) return PartitionStyle::Mbr;
    return PartitionStyle::Raw;
}

VolumeInfo probe_volume(int fd, uint64_t offset, uint64_t length) {
    VolumeInfo info;
    Probe pr = make_probe(fd, offset, length);
    if (!pr) return info;
    blkid_probe_enable_partitions(pr.get(), 0);
    blkid_probe_enable_superblocks(pr.get(), 1);
    blkid_probe_set_superblocks_flags(pr.get(),
                                      BLKID_SUBLKS_LABEL | BLKID_SUBLKS_TYPE | BLKID_SUBLKS_VERSION);
    // safeprobe refuses ambiguous results (two file-system signatures), which
    // is what we want for a label shown to the user.
    if (blkid_do_safeprobe(pr.get()) != 0) return info;
    std::string type = lookup(pr.get(), "TYPE");
    if (type.empty()) return info;
    info.found = true;
    // A FAT label lives in the root folder; older volumes keep it only in the
    // boot sector, which libblkid reports apart.
    info.label = lookup(pr.get(), "LABEL");
    if (info.label.empty()) info.label = lookup(pr.get(), "LABEL_FATBOOT");
    // FAT volumes say which FAT they are ("FAT32"), as the Windows volume
    // query would; other file systems go by their type name.
    std::string version = lookup(pr.get(), "VERSION");
    info.fs_name = (type == "vfat" && !version.empty()) ? version : type;
    return info;
}

}  // namespace quen::cdr
