// Disk enumeration over a sysfs-like tree in a temporary folder: disk image
// files stand in for /dev nodes, a hand-written mountinfo for the mount table.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cdr/disks/disk_image.h"
#include "cdr/disks/disk_enum.h"
#include "cdr/disks/mountinfo.h"
#include "test_support/files.h"

namespace fs = std::filesystem;
using namespace quen::cdr;

namespace {

void put_u16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8;
}
void put_u32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

// A small FAT16 volume of 8192 sectors starting at byte `at`: boot sector,
// two FATs of 32 sectors, and a root folder holding the volume label.
void write_fat16(std::vector<uint8_t>& img, size_t at, const char* label11) {
    uint8_t* b = &img[at];
    std::memcpy(b, "\xEB\x3C\x90MSDOS5.0", 11);
    std::vector<uint8_t> bpb(img.begin() + at, img.begin() + at + 512);
    put_u16(bpb, 11, 512);  // bytes per sector
    bpb[13] = 1;            // sectors per cluster
    put_u16(bpb, 14, 1);    // reserved sectors
    bpb[16] = 2;            // FAT count
    put_u16(bpb, 17, 512);  // root entries
    put_u16(bpb, 19, 8192); // total sectors
    bpb[21] = 0xF8;         // media
    put_u16(bpb, 22, 32);   // sectors per FAT
    put_u16(bpb, 24, 32);
    put_u16(bpb, 26, 64);
    bpb[36] = 0x80;
    bpb[38] = 0x29;  // extended boot signature
    put_u32(bpb, 39, 0x12345678);
    std::memcpy(&bpb[43], "NO NAME    ", 11);
    std::memcpy(&bpb[54], "FAT16   ", 8);
    bpb[510] = 0x55;
    bpb[511] = 0xAA;
    std::copy(bpb.begin(), bpb.end(), img.begin() + at);
    std::memcpy(&img[at + 512], "\xF8\xFF\xFF\xFF", 4);
    std::memcpy(&img[at + 512 * 33], "\xF8\xFF\xFF\xFF", 4);
    const size_t root = at + 512 * 65;
    std::memcpy(&img[root], label11, 11);
    img[root + 11] = 0x08;  // volume label entry
}

// An MBR with up to four primary entries (type, first sector, sector count).
void write_mbr(std::vector<uint8_t>& img, const std::vector<std::array<uint32_t, 3>>& parts) {
    for (size_t i = 0; i < parts.size(); ++i) {
        size_t e = 446 + 16 * i;
        img[e + 4] = static_cast<uint8_t>(parts[i][0]);
        put_u32(img, e + 8, parts[i][1]);
        put_u32(img, e + 12, parts[i][2]);
    }
    img[510] = 0x55;
    img[511] = 0xAA;
}

class FakeSystem {
public:
    FakeSystem() : root_(dir_.path()) {
        ::chmod(root_.c_str(), 0755);
        fs::create_directories(block());
        fs::create_directories(dev());
        fs::create_directories(root_ + "/mnt/card");
        paths_.sysfs_block = block();
        paths_.dev_root = dev();
        paths_.mountinfo = root_ + "/mountinfo";
    }

    std::string block() const { return root_ + "/sys/block"; }
    std::string dev() const { return root_ + "/dev"; }
    const std::string& root() const { return root_; }
    const EnumPaths& paths() const { return paths_; }

    void write(const std::string& path, const std::string& text) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    // A disk entry with a plain "device" folder, and its node holding `image`.
    std::string add_disk(const std::string& name, const std::string& dev_no, uint64_t sectors,
                         int removable, const std::vector<uint8_t>* image,
                         const std::string& vendor = "", const std::string& model = "") {
        std::string d = block() + "/" + name;
        fs::create_directories(d + "/device");
        write(d + "/size", std::to_string(sectors) + "\n");
        write(d + "/removable", std::to_string(removable) + "\n");
        write(d + "/dev", dev_no + "\n");
        if (!vendor.empty()) write(d + "/device/vendor", vendor + "\n");
        if (!model.empty()) write(d + "/device/model", model + "\n");
        if (image) {
            std::ofstream out(dev() + "/" + name, std::ios::binary);
            out.write(reinterpret_cast<const char*>(image->data()),
                      static_cast<std::streamsize>(image->size()));
        }
        return d;
    }
    void add_partition(const std::string& disk, const std::string& name, int number,
                       uint64_t start, uint64_t sectors, const std::string& dev_no) {
        std::string p = block() + "/" + disk + "/" + name;
        write(p + "/partition", std::to_string(number) + "\n");
        write(p + "/start", std::to_string(start) + "\n");
        write(p + "/size", std::to_string(sectors) + "\n");
        write(p + "/dev", dev_no + "\n");
    }

private:
    quen::test::TempDir dir_{"quen-disks"};
    std::string root_;
    EnumPaths paths_;
};

const CdrNode* find_disk(const CdrNode& root, const std::string& path) {
    for (const auto& d : root.children)
        if (d->path == path) return d.get();
    return nullptr;
}

bool mentions(const std::vector<EnumProblem>& problems, const std::string& what) {
    for (const auto& p : problems)
        if (p.text.find(what) != std::string::npos) return true;
    return false;
}

// Two disks and a card: a fixed disk with an MBR, a small first partition and
// a labelled FAT16 partition at 4 MiB that is mounted; a removable card that
// the phone formatted without a partition table.
class DiskEnumTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> sda(16384 * 512);
        write_mbr(sda, {{0x0C, 2048, 4096}, {0x0E, 8192, 8192}});
        write_fat16(sda, 8192 * 512, "PHONECARD  ");
        sys.add_disk("sda", "8:0", 16384, 0, &sda, "ATA     ", "  Samsung SSD 860 ");
        sys.add_partition("sda", "sda1", 1, 2048, 4096, "8:1");
        sys.add_partition("sda", "sda2", 2, 8192, 8192, "8:2");

        std::vector<uint8_t> card(8192 * 512);
        write_fat16(card, 0, "NO NAME    ");
        sys.add_disk("sdb", "8:16", 8192, 1, &card, "Generic", "SD Card");

        // A loop device: no "device" link, not a disk.
        fs::create_directories(sys.block() + "/loop0");
        sys.write(sys.block() + "/loop0/size", "100\n");

        sys.write(sys.paths().mountinfo,
                  "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                  "garbage line\n"
                  "40 22 8:2 / " + sys.root() + "/mnt/card rw,relatime shared:5 - vfat /dev/sda2 rw\n");
    }
    FakeSystem sys;
};

TEST_F(DiskEnumTest, DisksPartitionsMountsAndCards) {
    EnumResult r = cdr_enum_disks(sys.paths());
    ASSERT_TRUE(r.root);
    EXPECT_EQ(r.root->name, "root");
    ASSERT_EQ(r.root->children.size(), 2u) << "loop0 has no device link and is no disk";
    EXPECT_TRUE(r.problems.empty());

    const CdrNode* sda = find_disk(*r.root, sys.dev() + "/sda");
    ASSERT_TRUE(sda);
    EXPECT_EQ(sda->kind, CdrKind::Disk);
    EXPECT_EQ(sda->name, "ATA Samsung SSD 860");
    EXPECT_FALSE(sda->removable);
    // The medium's size, not the sum of the partitions (2 + 4 MiB).
    EXPECT_EQ(sda->length, 16384u * 512);
    EXPECT_EQ(sda->partition_style, PartitionStyle::Mbr);
    EXPECT_TRUE(sda->read_handle.valid());
    EXPECT_TRUE(sda->copy_handle.valid());
    EXPECT_NE(sda->read_handle.get(), sda->copy_handle.get());

    // The mounted, labelled partition comes first although it is second in the table.
    ASSERT_EQ(sda->children.size(), 2u);
    const CdrNode* first = sda->children.front().get();
    const CdrNode* second = sda->children.back().get();
    const std::string mnt = sys.root() + "/mnt/card";
    EXPECT_EQ(first->name, "PHONECARD (" + mnt + ")");
    EXPECT_EQ(first->drive, mnt);
    EXPECT_EQ(first->detail, "FAT16");
    EXPECT_EQ(first->start_offset, 8192u * 512);
    EXPECT_EQ(first->length, 8192u * 512);
    EXPECT_EQ(first->partition_index, 1u);
    EXPECT_GT(first->free_bytes, 0u);
    EXPECT_EQ(first->path, sda->path);
    EXPECT_EQ(first->read_fd(), sda->read_handle.get());
    EXPECT_EQ(first->copy_fd(), sda->copy_handle.get());

    EXPECT_EQ(second->name, "PARTITION-0");
    EXPECT_EQ(second->drive, "");
    EXPECT_EQ(second->detail, "2.0 MB");
    EXPECT_EQ(second->start_offset, 2048u * 512);
    EXPECT_EQ(second->length, 4096u * 512);
    EXPECT_EQ(second->free_bytes, 0u);

    // The card without a partition table: no partitions, but its whole medium.
    const CdrNode* card = find_disk(*r.root, sys.dev() + "/sdb");
    ASSERT_TRUE(card);
    EXPECT_EQ(card->name, "Generic SD Card");
    EXPECT_TRUE(card->removable);
    EXPECT_EQ(card->length, 8192u * 512);
    EXPECT_TRUE(card->children.empty());
    EXPECT_EQ(card->partition_style, PartitionStyle::Raw);
}

TEST_F(DiskEnumTest, UnopenableAndSilentDevicesAreSkippedAndNamed) {
    // sdc has no device node, sdd's node cannot be read (a folder); sde after
    // them must still be listed. sde hangs off a USB bus while its
    // "removable" attribute says 0, as many card readers do.
    std::vector<uint8_t> small(2048 * 512);
    sys.add_disk("sdc", "8:32", 2048, 0, nullptr);
    sys.add_disk("sdd", "8:48", 2048, 0, nullptr);
    fs::create_directories(sys.dev() + "/sdd");
    std::string sde = sys.add_disk("sde", "8:64", 2048, 0, &small);
    fs::remove(sde + "/device");
    std::string usb = sys.root() + "/sys/devices/pci0000:00/usb2/2-1/2-1:1.0/host6/6:0:0:0";
    fs::create_directories(usb);
    fs::create_directory_symlink(usb, sde + "/device");

    EnumResult r = cdr_enum_disks(sys.paths());
    ASSERT_TRUE(r.root);
    EXPECT_FALSE(find_disk(*r.root, sys.dev() + "/sdc"));
    EXPECT_FALSE(find_disk(*r.root, sys.dev() + "/sdd"));
    const CdrNode* e = find_disk(*r.root, sys.dev() + "/sde");
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->removable);
    EXPECT_EQ(e->length, 2048u * 512);
    EXPECT_EQ(r.root->children.size(), 3u);
    ASSERT_EQ(r.problems.size(), 2u);
    EXPECT_TRUE(mentions(r.problems, sys.dev() + "/sdc"));
    EXPECT_TRUE(mentions(r.problems, sys.dev() + "/sdd"));
    // A skipped card beside one that reads: the scan has something to read.
    r.problems[0].removable = true;
    EXPECT_FALSE(no_removable_disk_readable(r.root.get(), r.problems));
    // Without it, the skipped card is all there was.
    for (auto& d : r.root->children) d->removable = false;
    EXPECT_TRUE(no_removable_disk_readable(r.root.get(), r.problems));
    r.problems[0].removable = false;
    EXPECT_FALSE(no_removable_disk_readable(r.root.get(), r.problems));  // nothing removable was skipped
}

TEST_F(DiskEnumTest, PermissionDeniedNamesTheDeviceAndTheFix) {
    ::chmod((sys.dev() + "/sdb").c_str(), 0600);
    ::chmod((sys.dev() + "/sda").c_str(), 0600);
    // Permission checks do not apply to root: drop to "nobody" in a child.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(10);
        EnumResult r = cdr_enum_disks(sys.paths());
        if (!r.root) _exit(11);
        if (find_disk(*r.root, sys.dev() + "/sdb")) _exit(12);
        if (r.problems.size() != 2) _exit(13);  // sda is root-only as well
        for (const auto& p : r.problems)
            if (p.text.find("permission denied") == std::string::npos ||
                p.text.find("'disk' group") == std::string::npos)
                _exit(14);
        if (!mentions(r.problems, sys.dev() + "/sdb")) _exit(15);
        for (const auto& p : r.problems)  // the card is removable, the fixed disk is not
            if (p.removable != (p.text.find("/sdb") != std::string::npos)) _exit(16);
        // The only card could not be read: a scan would read nothing.
        if (!no_removable_disk_readable(r.root.get(), r.problems)) _exit(17);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(DiskEnum, MissingSysfsGivesNoTree) {
    EnumPaths p;
    p.sysfs_block = "/nonexistent/quen/sys/block";
    EnumResult r = cdr_enum_disks(p);
    EXPECT_FALSE(r.root);
    EXPECT_EQ(r.problems.size(), 1u);
}

TEST(Mountinfo, FieldsEscapesAndHostileLines) {
    auto m = parse_mountinfo(
        "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw\n"
        "37 35 8:17 / /media/my\\040card rw shared:1 master:2 - vfat /dev/sdb1 rw\n"
        "38 35 8:17 /sub /elsewhere rw - vfat /dev/sdb1 rw\n"
        "39 35 8:x / /bad rw - vfat x rw\n"
        "40 35 8:18 / /no-separator rw vfat x rw\n"
        "41 35 8:19 / /trailing\\04 rw - vfat x rw\n"
        "\n   \n");
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].major, 98u);
    EXPECT_EQ(m[0].root, "/mnt1");
    EXPECT_EQ(m[0].fs_type, "ext3");
    EXPECT_EQ(m[1].mount_point, "/media/my card");
    EXPECT_EQ(m[1].fs_type, "vfat");
    EXPECT_EQ(m[3].mount_point, "/trailing\\04");  // a cut escape stays as it is
    // The whole-file-system mount wins over a bind of a sub-folder.
    auto m2 = parse_mountinfo("38 35 8:17 /sub /elsewhere rw - vfat /dev/sdb1 rw\n"
                              "37 35 8:17 / /media/card rw - vfat /dev/sdb1 rw\n");
    ASSERT_TRUE(find_mount(m2, 8, 17));
    EXPECT_EQ(find_mount(m2, 8, 17)->mount_point, "/media/card");
    EXPECT_FALSE(find_mount(m2, 8, 18));
}

}  // namespace
