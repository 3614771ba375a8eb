#include "cdr/scan/scan_tree.h"

#include "platform/local_time.h"

namespace quen::cdr {

std::string today_text() { return platform::local_time_text("%Y-%m-%d"); }

const std::string& ScanTreeNode::type_name() const {
    static const std::string empty;
    return source ? source->name : empty;
}

ScanListItem& ScanTreeNode::add_item(const FoundFile& f) {
    ScanListItem& it = items.emplace_back();
    it.owner = this;
    it.name = f.name;
    it.description = f.description;
    it.comment = f.comment;
    it.size = f.size;
    it.created_date = it.modified_date = today_text();
    it.file = &f;
    it.checked = true;
    ++item_count;
    return it;
}

std::unique_ptr<ScanTreeNode> build_scan_tree(CdrNode& src) {
    auto n = std::make_unique<ScanTreeNode>();
    n->name = src.detail.empty() ? src.name : src.name + " [" + src.detail + "]";
    n->drive = src.drive;
    n->path = src.path;
    n->created_date = n->modified_date = today_text();
    n->length = src.length;
    n->free_bytes = src.free_bytes;
    n->source = &src;
    n->removable = src.removable;
    for (const FoundFile& f : src.found_files) n->add_item(f);
    for (auto& c : src.children) {
        auto child = build_scan_tree(*c);
        child->parent = n.get();
        ScanTreeNode* raw = child.get();
        n->children.push_back(std::move(child));
        if (src.kind == CdrKind::Disk && c->kind == CdrKind::FileType) n->type_map[c->name] = raw;
    }
    return n;
}

}  // namespace quen::cdr
