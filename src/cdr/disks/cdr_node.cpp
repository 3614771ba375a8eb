#include "cdr/disks/cdr_node.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/sizes.h"

namespace quen::cdr {

const CdrNode* CdrNode::disk() const {
    for (const CdrNode* n = this; n; n = n->parent)
        if (n->kind == CdrKind::Disk) return n;
    return nullptr;
}

int CdrNode::read_fd() const {
    const CdrNode* d = disk();
    return d ? d->read_handle.get() : -1;
}

int CdrNode::copy_fd() const {
    const CdrNode* d = disk();
    return d ? d->copy_handle.get() : -1;
}

CdrNode* CdrNode::add_child(std::unique_ptr<CdrNode> child) {
    child->parent = this;
    children.push_back(std::move(child));
    return children.back().get();
}

CdrNode* CdrNode::add_child(CdrKind k, std::string n) {
    auto child = std::make_unique<CdrNode>();
    child->kind = k;
    child->name = std::move(n);
    return add_child(std::move(child));
}

FoundFile& CdrNode::add_found_file(std::string n, uint64_t size, uint64_t offset,
                                   uint32_t block_size) {
    FoundFile& f = found_files.emplace_back();
    f.owner = this;
    f.name = std::move(n);
    f.size = size;
    f.offset = offset;
    f.block_size = block_size;
    ++found_count;
    return f;
}

std::unique_ptr<CdrNode> make_root() {
    auto root = std::make_unique<CdrNode>();
    root->kind = CdrKind::Root;
    root->name = "root";
    return root;
}

std::unique_ptr<CdrNode> make_disk(std::string name, std::string path, uint64_t length, bool removable,
                                   platform::UniqueFd read_handle, platform::UniqueFd copy_handle) {
    auto disk = std::make_unique<CdrNode>();
    disk->kind = CdrKind::Disk;
    disk->name = std::move(name);
    disk->path = std::move(path);
    disk->length = length;
    disk->removable = removable;
    disk->read_handle = std::move(read_handle);
    disk->copy_handle = std::move(copy_handle);
    return disk;
}

void cdr_free_tree(std::unique_ptr<CdrNode>& root) {
    // Destroying the root destroys every node below it; each disk's UniqueFds
    // close its handles.
    root.reset();
}

void cdr_clear_node(CdrNode& node) {
    node.children.clear();
    node.found_files.clear();
    node.found_count = 0;
}

std::string size_text(uint64_t v) {
    char buf[64];
    const double d = static_cast<double>(v);
    using platform::kGiB, platform::kKiB, platform::kMiB;
    if (v < kKiB)
        std::snprintf(buf, sizeof buf, "%.1f Byte", d);
    else if (v < kMiB)
        std::snprintf(buf, sizeof buf, "%.1f KB", d / static_cast<double>(kKiB));
    else if (v < kGiB)
        std::snprintf(buf, sizeof buf, "%.1f MB", d / static_cast<double>(kMiB));
    else
        std::snprintf(buf, sizeof buf, "%.1f GB", d / static_cast<double>(kGiB));
    return buf;
}

}  // namespace quen::cdr
