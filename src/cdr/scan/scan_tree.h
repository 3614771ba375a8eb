#pragma once
// The scan result tree: the interface's own copy of the storage tree, with a
// check state on every node and found-file entry. It is built from the
// CdrNode tree after enumeration and grows at its list ends while a scan runs.
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>

#include "cdr/disks/cdr_node.h"

namespace quen::cdr {

struct ScanTreeNode;

// One found file in the result tree.
struct ScanListItem {
    ScanTreeNode* owner = nullptr;
    std::string name;
    std::string description, comment;  // the found file's two texts (empty for carved files)
    uint64_t size = 0;
    // "%Y-%m-%d". A carved file has no dates of its own, so both hold the day
    // it was listed; the list's Date column shows the first.
    std::string created_date, modified_date;
    const FoundFile* file = nullptr;  // owned by the storage tree
    bool checked = true;              // recovered when checked
};

// One disk, partition or file-type node.
struct ScanTreeNode {
    ScanTreeNode* parent = nullptr;
    std::list<std::unique_ptr<ScanTreeNode>> children;
    std::list<ScanListItem> items;
    // The source's name, plus " [detail]" when it has a detail text.
    std::string name;
    std::string drive;
    std::string path;
    std::string created_date, modified_date;  // "%Y-%m-%d": today, as the disks give none
    uint64_t length = 0;
    uint64_t free_bytes = 0;
    CdrNode* source = nullptr;  // owned by the storage tree
    bool removable = false;
    bool checked = true;
    uint32_t item_count = 0;
    // File-type name -> its child node (kept on disk nodes).
    std::map<std::string, ScanTreeNode*> type_map;

    bool is_file_type() const { return source && source->kind == CdrKind::FileType; }
    // The file-type name (the source's plain name, without a detail suffix).
    const std::string& type_name() const;
    ScanListItem& add_item(const FoundFile& f);
};

// Builds the node for `src` with its found files as items and its children,
// recursively, in list order. Disk nodes get file-type children entered in
// their type map.
std::unique_ptr<ScanTreeNode> build_scan_tree(CdrNode& src);

// Today as "%Y-%m-%d".
std::string today_text();

}  // namespace quen::cdr
