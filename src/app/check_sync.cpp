// The main window between its tree, its list and the records: check boxes
// kept in step with the records' flags, the category the list shows, and the
// preview of the chosen row.
#include <algorithm>

#include "app/main_dlg.h"
#include "cdr/scan/preview_copy_worker.h"
#include "ui/list/check_list.h"
#include "ui/preview/contact_board.h"
#include "ui/preview/conversation_board.h"
#include "ui/preview/image_board.h"
#include "ui/recovery/recovery_walk.h"
#include "ui/sink/qt_message_sink.h"
#include "ui/tree/result_tree.h"

namespace quen::app {

void CMainDlg::on_tree_item_checked(ui::TreeItem* item, bool checked) {
    if (!item) return;
    switch (item->data.kind) {
        case ui::kItemContacts:
            if (phone_)
                for (auto& [key, contact] : phone_->contact_map) contact.checked = checked;
            break;
        case ui::kItemMessages:
            if (phone_)
                for (auto& [key, thread] : phone_->thread_map) thread.checked = checked;
            break;
        case ui::kItemDisk:
        case ui::kItemFileType:
            // The scan thread reads these flags when it adds files and types,
            // under the same lock.
            if (StorageScan* scan = scan_of(item); scan && item->data.payload) {
                auto lock = scan->job->tree_lock();
                item->data.payload->checked = checked;
                if (item->data.kind == ui::kItemFileType)
                    for (cdr::ScanListItem& file : item->data.payload->items) file.checked = checked;
            }
            break;
        default:
            break;
    }
    if (item == shown_item_) {
        list_->set_check_all(checked);
        list_->set_all_rows_checked(checked);
    }
}

void CMainDlg::on_list_row_checked(int row, bool checked) {
    if (!shown_item_ || row < 0 || row >= list_->row_count()) return;
    void* record = list_->row(row).record;
    switch (list_->mode()) {
        case ui::kModeContacts: static_cast<records::ContactRecord*>(record)->checked = checked; break;
        case ui::kModeMessages: static_cast<records::ThreadRecord*>(record)->checked = checked; break;
        case ui::kModeFiles:
            if (StorageScan* scan = scan_of(shown_item_)) {
                auto lock = scan->job->tree_lock();
                static_cast<cdr::ScanListItem*>(record)->checked = checked;
            }
            break;
        default: return;
    }
    // The category's box says whether all of its records are checked, those
    // not loaded into the list yet included; its ancestors follow.
    tree_->set_checked(shown_item_, category_all_checked(shown_item_));
    tree_->apply_upward(shown_item_);
}

bool CMainDlg::category_all_checked(ui::TreeItem* item) {
    switch (item->data.kind) {
        case ui::kItemContacts:
            return phone_ && std::all_of(phone_->contact_list.begin(), phone_->contact_list.end(),
                                         [](const records::ContactRecord* c) { return !c || c->checked; });
        case ui::kItemMessages:
            return phone_ && std::all_of(phone_->thread_list.begin(), phone_->thread_list.end(),
                                         [](const records::ThreadRecord* t) { return !t || t->checked; });
        case ui::kItemFileType:
            if (StorageScan* scan = scan_of(item); scan && item->data.payload) {
                auto lock = scan->job->tree_lock();
                const auto& files = item->data.payload->items;
                return std::all_of(files.begin(), files.end(), [](const cdr::ScanListItem& f) { return f.checked; });
            }
            return false;
        default:
            return item->checked;
    }
}

void CMainDlg::hide_previews() {
    contact_panel_->hide();
    conversation_panel_->hide();
    image_panel_->hide();
}

void CMainDlg::show_category(ui::TreeItem* item) {
    shown_item_ = nullptr;
    hide_previews();
    QWidget* panel = nullptr;
    ui::RowSource source;
    // Only the three kinds of leaves hold records; an item without its data
    // yet (the phone still being read) shows nothing.
    const int kind = item && item->data.enabled ? item->data.kind : -1;
    if (kind == ui::kItemContacts && phone_loaded_) {
        source = ui::RowSource::contacts(&phone_->contact_list);
        panel = contact_panel_;
    } else if (kind == ui::kItemMessages && phone_loaded_) {
        source = ui::RowSource::threads(&phone_->thread_list);
        panel = conversation_panel_;
    } else if (kind == ui::kItemFileType && item->data.payload) {
        StorageScan* scan = scan_of(item);
        if (!scan) return;
        cdr::ScanJob* job = scan->job.get();
        source = ui::RowSource::files(item->data.payload, [job] { return job->tree_lock(); });
        panel = image_panel_;
    }
    if (!panel) {
        list_->clear_all();
        list_->hide();
        return;
    }
    list_->show_category(std::move(source), item->checked);
    shown_item_ = item;
    list_->show();
    panel->show();
    show_row(0);
}

void CMainDlg::show_row(int row) {
    const bool valid = shown_item_ && row >= 0 && row < list_->row_count();
    void* record = valid ? list_->row(row).record : nullptr;
    switch (list_->mode()) {
        case ui::kModeContacts: contact_panel_->show_contact(static_cast<const records::ContactRecord*>(record)); break;
        case ui::kModeMessages: conversation_panel_->show_conversation(static_cast<const records::ThreadRecord*>(record)); break;
        case ui::kModeFiles: {
            if (!record) {
                image_panel_->set_requested({});
                break;
            }
            const auto* file = static_cast<const cdr::ScanListItem*>(record);
            // Numbers are never reused while the program runs, so a copy made
            // for another card's file of the same name is never shown.
            auto [it, added] = preview_ids_.try_emplace(file, next_preview_id_);
            if (added) ++next_preview_id_;
            const std::string path = cdr::preview_path(work_.picture_folder, it->second, file->name);
            image_panel_->set_requested(path, QString::fromStdString(file->name), file->size);
            copy_worker_->request_preview(*file, path, *sink_);
            break;
        }
        default: break;
    }
}

}  // namespace quen::app
