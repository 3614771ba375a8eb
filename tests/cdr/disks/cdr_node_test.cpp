// The storage tree's own behaviour: ownership, clearing, handles, images, size text.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "cdr/disks/disk_image.h"
#include "cdr/disks/cdr_node.h"

using namespace quen::cdr;

namespace {

bool fd_open(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(SizeText, UnitsSwitchAtPowersOf1024) {
    EXPECT_EQ(size_text(0), "0.0 Byte");
    EXPECT_EQ(size_text(1023), "1023.0 Byte");
    EXPECT_EQ(size_text(1024), "1.0 KB");
    EXPECT_EQ(size_text(1536), "1.5 KB");
    EXPECT_EQ(size_text(1024 * 1024 - 1), "1024.0 KB");  // rounds, stays in KB
    EXPECT_EQ(size_text(1024 * 1024), "1.0 MB");
    EXPECT_EQ(size_text(3ULL << 30), "3.0 GB");
    EXPECT_EQ(size_text(UINT64_MAX), "17179869184.0 GB");
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/quen-img-XXXXXX";
        int fd = ::mkstemp(tmpl);
        ASSERT_GE(fd, 0);
        ::close(fd);
        path = tmpl;
        std::ofstream(path, std::ios::binary) << std::string(5000, 'x');
    }
    void TearDown() override { std::remove(path.c_str()); }
    std::string path;
};

TEST_F(ImageTest, ImageIsRemovableDiskWithOneWholePartition) {
    auto root = make_root();
    std::string err;
    CdrNode* disk = cdr_add_image(path, *root, &err);
    ASSERT_TRUE(disk) << err;
    const std::string base = path.substr(path.rfind('/') + 1);
    EXPECT_EQ(disk->kind, CdrKind::Disk);
    EXPECT_EQ(disk->parent, root.get());
    EXPECT_EQ(disk->name, base);
    EXPECT_EQ(disk->path, path);
    EXPECT_EQ(disk->length, 5000u);
    EXPECT_TRUE(disk->removable);
    ASSERT_EQ(disk->children.size(), 1u);
    const CdrNode& part = *disk->children.front();
    EXPECT_EQ(part.kind, CdrKind::Partition);
    EXPECT_EQ(part.name, base);
    EXPECT_EQ(part.drive, path);
    EXPECT_EQ(part.start_offset, 0u);
    EXPECT_EQ(part.length, 5000u);
    EXPECT_EQ(part.detail, "4.9 KB");
    EXPECT_TRUE(part.is_image);
    // Two distinct read-only handles; the partition reads through its disk's.
    ASSERT_TRUE(disk->read_handle.valid() && disk->copy_handle.valid());
    EXPECT_NE(disk->read_fd(), disk->copy_fd());
    EXPECT_EQ(part.read_fd(), disk->read_fd());
    EXPECT_EQ(::fcntl(disk->read_fd(), F_GETFL) & O_ACCMODE, O_RDONLY);
    char c = 0;
    EXPECT_EQ(::pread(part.copy_fd(), &c, 1, 4999), 1);
    EXPECT_EQ(c, 'x');
}

TEST_F(ImageTest, MissingImageAddsNothing) {
    auto root = make_root();
    std::string err;
    EXPECT_FALSE(cdr_add_image(path + ".absent", *root, &err));
    EXPECT_NE(err.find(path + ".absent"), std::string::npos);
    EXPECT_TRUE(root->children.empty());
}

TEST_F(ImageTest, ClearAndFreeReleaseFoundFilesNodesAndHandles) {
    auto root = make_root();
    CdrNode* disk = cdr_add_image(path, *root);
    ASSERT_TRUE(disk);
    CdrNode* jpg = disk->add_child(CdrKind::FileType, "jpg");
    FoundFile& a = jpg->add_found_file("1.jpg", 10, 512);
    FoundFile& b = jpg->add_found_file("8.jpg", 20, 4096);
    EXPECT_EQ(jpg->found_count, 2u);
    EXPECT_EQ(a.owner, jpg);
    EXPECT_EQ(&jpg->found_files.front(), &a);
    EXPECT_EQ(&jpg->found_files.back(), &b);
    EXPECT_EQ(jpg->read_fd(), disk->read_fd());  // type nodes read through the disk too

    // Found files stay where they are while more are appended.
    for (int i = 0; i < 1000; ++i) jpg->add_found_file("n", 1, 0);
    EXPECT_EQ(a.name, "1.jpg");

    cdr_clear_node(*jpg);
    EXPECT_TRUE(jpg->found_files.empty());
    EXPECT_EQ(jpg->found_count, 0u);

    jpg->add_child(CdrKind::FileType, "inner")->add_found_file("x", 1, 0);
    cdr_clear_node(*disk);
    EXPECT_TRUE(disk->children.empty());
    EXPECT_TRUE(disk->read_handle.valid()) << "clearing keeps the node and its handles";

    const int r = disk->read_fd(), c = disk->copy_fd();
    ASSERT_TRUE(fd_open(r) && fd_open(c));
    cdr_free_tree(root);
    EXPECT_FALSE(root);
    EXPECT_FALSE(fd_open(r));
    EXPECT_FALSE(fd_open(c));
}

TEST(CdrNode, NodesWithoutDiskHaveNoHandle) {
    auto root = make_root();
    EXPECT_EQ(root->read_fd(), -1);
    CdrNode* orphan = root->add_child(CdrKind::FileType, "jpg");
    EXPECT_EQ(orphan->copy_fd(), -1);
    EXPECT_EQ(orphan->disk(), nullptr);
}

}  // namespace
