#include "cdr/disks/disk_enum.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "cdr/disks/disk_image.h"
#include "cdr/disks/mountinfo.h"
#include "cdr/disks/volume_probe.h"
#include "cdr/disks/sysfs_attributes.h"
#include "platform/read_full.h"
#include "platform/sizes.h"

namespace quen::cdr {
namespace {

constexpr uint64_t kSector = platform::kSector;  // sysfs counts sizes and starts in 512-byte units

std::vector<std::string> list_dir(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return names;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(std::move(n));
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool starts_with(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

// Virtual block devices never have a "device" link in sysfs; the name check
// only guards against odd trees.
bool is_virtual_name(const std::string& n) {
    return starts_with(n, "loop") || starts_with(n, "ram") || starts_with(n, "zram") ||
           starts_with(n, "dm-") || starts_with(n, "md");
}

// A disk hanging off a USB or MMC/SD bus is removable whatever its
// "removable" attribute says (card readers often report 0).
bool on_removable_bus(const std::string& disk_dir, const std::string& name) {
    if (starts_with(name, "mmcblk")) return true;
    char resolved[PATH_MAX];
    if (!::realpath((disk_dir + "/device").c_str(), resolved)) return false;
    std::string p = resolved;
    size_t i = 0;
    while (i < p.size()) {
        size_t j = p.find('/', i);
        if (j == std::string::npos) j = p.size();
        std::string comp = p.substr(i, j - i);
        if (starts_with(comp, "usb") || starts_with(comp, "mmc")) return true;
        i = j + 1;
    }
    return false;
}

std::string friendly_name(const std::string& disk_dir, const std::string& fallback) {
    std::string vendor = read_attr(disk_dir + "/device/vendor").value_or("");
    std::string model = read_attr(disk_dir + "/device/model").value_or("");
    std::string name = vendor;
    if (!vendor.empty() && !model.empty()) name += ' ';
    name += model;
    return name.empty() ? fallback : name;
}

std::string open_problem(const std::string& dev, const std::string& name, int err) {
    std::string who = dev + (name.empty() ? "" : " (" + name + ")");
    if (err == EACCES || err == EPERM)
        return "cannot open " + who +
               ": permission denied. Reading a raw disk needs root, or membership in the "
               "'disk' group (sudo usermod -aG disk $USER, then log in again); skipped";
    if (err == ENOMEDIUM) return who + ": no medium in the drive; skipped";
    return "cannot open " + who + ": " + std::strerror(err) + "; skipped";
}

struct PartEntry {
    std::string dir;
    uint64_t number = 0;
};

void add_partitions(CdrNode& disk, const std::string& disk_dir, const std::string& disk_name,
                    const std::vector<MountEntry>& mounts) {
    std::vector<PartEntry> parts;
    for (const std::string& n : list_dir(disk_dir)) {
        if (!starts_with(n, disk_name.c_str())) continue;  // partitions are named after their disk
        std::string dir = disk_dir + "/" + n;
        auto number = read_u64_attr(dir + "/partition");
        if (!number || *number == 0 || *number > 0xFFFF) continue;
        parts.push_back({dir, *number});
    }
    std::stable_sort(parts.begin(), parts.end(),
                     [](const PartEntry& a, const PartEntry& b) { return a.number < b.number; });

    for (const PartEntry& pe : parts) {
        auto start = read_u64_attr(pe.dir + "/start");
        auto size = read_u64_attr(pe.dir + "/size");
        if (!start || !size || *size == 0) continue;  // an empty slot still keeps its number
        if (*start > UINT64_MAX / kSector || *size > UINT64_MAX / kSector) continue;
        auto node = std::make_unique<CdrNode>();
        node->kind = CdrKind::Partition;
        node->partition_index = static_cast<uint32_t>(pe.number - 1);
        node->name = "PARTITION-" + std::to_string(node->partition_index);
        node->path = disk.path;
        node->start_offset = *start * kSector;
        node->length = *size * kSector;
        node->detail = size_text(node->length);
        node->partition_style = disk.partition_style;

        unsigned major = 0, minor = 0;
        const MountEntry* m = nullptr;
        if (read_dev_attr(pe.dir + "/dev", major, minor)) m = find_mount(mounts, major, minor);
        if (m) {
            VolumeInfo vol = probe_volume(disk.read_fd(), node->start_offset, node->length);
            node->drive = m->mount_point;
            node->name = vol.label + " (" + m->mount_point + ")";
            node->detail = vol.found ? vol.fs_name : m->fs_type;
            struct statvfs sv {};
            if (::statvfs(m->mount_point.c_str(), &sv) == 0)
                node->free_bytes = static_cast<uint64_t>(sv.f_bavail) * sv.f_frsize;
            node->removable = disk.removable;
        }
        disk.add_child(std::move(node));
    }
    // Mounted partitions first, by mount point; the others after them in
    // table order (list::sort is stable).
    disk.children.sort([](const std::unique_ptr<CdrNode>& a, const std::unique_ptr<CdrNode>& b) {
        bool am = !a->drive.empty(), bm = !b->drive.empty();
        if (am != bm) return am;
        return am && a->drive < b->drive;
    });
}

}  // namespace

EnumResult cdr_enum_disks(const EnumPaths& paths) {
    EnumResult result;
    DIR* probe_dir = ::opendir(paths.sysfs_block.c_str());
    if (!probe_dir) {
        result.problems.push_back(
            {"cannot list disks: " + paths.sysfs_block + ": " + std::strerror(errno), false});
        return result;
    }
    ::closedir(probe_dir);

    result.root = make_root();
    const std::vector<MountEntry> mounts = read_mountinfo(paths.mountinfo);

    for (const std::string& name : list_dir(paths.sysfs_block)) {
        const std::string dir = paths.sysfs_block + "/" + name;
        if (is_virtual_name(name) || !exists(dir + "/device")) continue;

        const std::string dev = paths.dev_root + "/" + name;
        const std::string friendly = friendly_name(dir, name);
        const bool removable =
            read_u64_attr(dir + "/removable").value_or(0) == 1 || on_removable_bus(dir, name);
        platform::UniqueFd read = platform::open_read_only(dev);
        if (!read.valid()) {
            const int err = errno;
            result.problems.push_back({open_problem(dev, friendly, err), removable});
            continue;
        }
        // The medium's size; sysfs counts 512-byte units for every disk.
        std::optional<uint64_t> length;
        if (auto sectors = read_u64_attr(dir + "/size"); sectors && *sectors <= UINT64_MAX / kSector)
            length = *sectors * kSector;
        else
            length = medium_size(read.get());
        if (!length) {
            result.problems.push_back({dev + " (" + friendly + "): size unknown; skipped", removable});
            continue;
        }
        // A disk that does not answer a read of its first sector is of no use
        // to a scan; say so and go on with the next one.
        if (*length >= kSector) {
            char sector[kSector];
            const platform::ReadOutcome first = platform::read_full(read.get(), sector, sizeof sector, 0);
            if (first.bytes == 0 && first.error != 0) {
                result.problems.push_back(
                    {dev + " (" + friendly + ") does not answer: " + std::strerror(first.error) + "; skipped",
                     removable});
                continue;
            }
        }

        auto disk = make_disk(friendly, dev, *length, removable, std::move(read), platform::open_read_only(dev));
        disk->partition_style = probe_partition_style(disk->read_handle.get(), disk->length);
        CdrNode* d = result.root->add_child(std::move(disk));
        add_partitions(*d, dir, name, mounts);
    }
    return result;
}

bool no_removable_disk_readable(const CdrNode* root, const std::vector<EnumProblem>& problems) {
    bool skipped = false;
    for (const EnumProblem& p : problems) skipped = skipped || p.removable;
    if (!skipped) return false;
    if (root)
        for (const auto& disk : root->children)
            if (disk->kind == CdrKind::Disk && disk->removable) return false;
    return true;
}

}  // namespace quen::cdr
