#pragma once
// What the checked list shows in each mode, without Qt: the columns, the
// cells of a record, and the sources it takes rows from a hundred at a time.
//   mode 1  contacts:     "No.", "Name", "Phone", "Company", "Email"
//   mode 2  messages:     "No.", "Name", "Phone"
//   mode 3  found files:  "No.", "Name", "Size", "Date"
#include <cstddef>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <vector>

#include "cdr/scan/scan_tree.h"
#include "records/model/record_model.h"

namespace quen::ui {

enum ListMode : int { kModeNone = 0, kModeContacts = 1, kModeMessages = 2, kModeFiles = 3 };

struct ListColumn {
    const char* title;
    int width;
};
const std::vector<ListColumn>& columns_for_mode(int mode);

// One row as the list shows it.
struct ListRow {
    std::vector<std::string> cells;  // UTF-8, one per column
    void* record = nullptr;          // ContactRecord*, ThreadRecord* or ScanListItem*
    bool checked = false;
    bool deleted = false;            // drawn red with the deleted mark (modes 1 and 2)
};

// The rows of a category, handed out in order. A found-file source follows
// its type node's list, which a running scan keeps growing at its end, so it
// reads under the lock the scan appends under.
class RowSource {
public:
    using Lock = std::function<std::unique_lock<std::mutex>()>;

    RowSource() = default;
    static RowSource contacts(const records::ContactList* list);
    static RowSource threads(const records::ThreadList* list);
    static RowSource files(cdr::ScanTreeNode* type_node, Lock lock = {});

    int mode() const { return mode_; }
    // Up to `n` further rows, numbered on from `first_number` (1-based).
    std::vector<ListRow> next(size_t n, int first_number);
    bool exhausted();

private:
    int mode_ = kModeNone;
    const records::ContactList* contacts_ = nullptr;
    const records::ThreadList* threads_ = nullptr;
    size_t index_ = 0;
    cdr::ScanTreeNode* node_ = nullptr;
    std::list<cdr::ScanListItem>::iterator last_;  // the last item handed out
    bool started_ = false;
    Lock lock_;
};

ListRow contact_row(records::ContactRecord& c, int number);
ListRow thread_row(records::ThreadRecord& t, int number);
ListRow file_row(cdr::ScanListItem& item, int number);

}  // namespace quen::ui
