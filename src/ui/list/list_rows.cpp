#include "ui/list/list_rows.h"

#include "ui/text/size_time_text.h"

namespace quen::ui {

const std::vector<ListColumn>& columns_for_mode(int mode) {
    static const std::vector<ListColumn> none;
    static const std::vector<ListColumn> contacts = {{"No.", 140}, {"Name", 100}, {"Phone", 100}, {"Company", 80}, {"Email", 80}};
    static const std::vector<ListColumn> messages = {{"No.", 160}, {"Name", 120}, {"Phone", 220}};
    static const std::vector<ListColumn> files = {{"No.", 130}, {"Name", 150}, {"Size", 120}, {"Date", 100}};
    switch (mode) {
        case kModeContacts: return contacts;
        case kModeMessages: return messages;
        case kModeFiles: return files;
        default: return none;
    }
}

ListRow contact_row(records::ContactRecord& c, int number) {
    return ListRow{{std::to_string(number), c.name, c.phone, c.organization, c.email}, &c, c.checked, c.deleted};
}

ListRow thread_row(records::ThreadRecord& t, int number) {
    return ListRow{{std::to_string(number), t.name, t.address}, &t, t.checked, t.deleted};
}

ListRow file_row(cdr::ScanListItem& item, int number) {
    return ListRow{{std::to_string(number), item.name, size_text(item.size), item.created_date}, &item, item.checked, false};
}

RowSource RowSource::contacts(const records::ContactList* list) {
    RowSource s;
    s.mode_ = kModeContacts;
    s.contacts_ = list;
    return s;
}

RowSource RowSource::threads(const records::ThreadList* list) {
    RowSource s;
    s.mode_ = kModeMessages;
    s.threads_ = list;
    return s;
}

RowSource RowSource::files(cdr::ScanTreeNode* type_node, Lock lock) {
    RowSource s;
    s.mode_ = kModeFiles;
    s.node_ = type_node;
    s.lock_ = std::move(lock);
    return s;
}

std::vector<ListRow> RowSource::next(size_t n, int first_number) {
    std::vector<ListRow> rows;
    if (mode_ == kModeContacts && contacts_) {
        for (; rows.size() < n && index_ < contacts_->size(); ++index_)
            if ((*contacts_)[index_]) rows.push_back(contact_row(*(*contacts_)[index_], first_number + static_cast<int>(rows.size())));
    } else if (mode_ == kModeMessages && threads_) {
        for (; rows.size() < n && index_ < threads_->size(); ++index_)
            if ((*threads_)[index_]) rows.push_back(thread_row(*(*threads_)[index_], first_number + static_cast<int>(rows.size())));
    } else if (mode_ == kModeFiles && node_) {
        std::unique_lock<std::mutex> lk;
        if (lock_) lk = lock_();
        auto& items = node_->items;
        auto it = started_ ? std::next(last_) : items.begin();
        for (; rows.size() < n && it != items.end(); ++it) {
            rows.push_back(file_row(*it, first_number + static_cast<int>(rows.size())));
            last_ = it;
            started_ = true;
        }
    }
    return rows;
}

bool RowSource::exhausted() {
    if (mode_ == kModeContacts) return !contacts_ || index_ >= contacts_->size();
    if (mode_ == kModeMessages) return !threads_ || index_ >= threads_->size();
    if (mode_ == kModeFiles && node_) {
        std::unique_lock<std::mutex> lk;
        if (lock_) lk = lock_();
        return started_ ? std::next(last_) == node_->items.end() : node_->items.empty();
    }
    return true;
}

}  // namespace quen::ui
