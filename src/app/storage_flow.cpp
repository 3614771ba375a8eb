// The main window's side of the storage scan: the disks arriving in the tree,
// file-type folders and progress as the card is carved, pause, resume and
// stop, and disk images opened by the user.
#include <QFileDialog>
#include <QProgressBar>

#include <filesystem>

#include "app/main_dlg.h"
#include "app/main_layout.h"
#include "app/notice_board.h"
#include "app/results_notes.h"
#include "ui/controls/img_button.h"
#include "ui/dialogs/msg_box.h"
#include "ui/recovery/recovery_walk.h"
#include "ui/tree/result_tree.h"

namespace quen::app {
namespace {

QString counted_type_label(const cdr::ScanTreeNode& node) {
    return QString("%1 (%2)").arg(QString::fromStdString(node.type_name())).arg(node.item_count);
}

}  // namespace

void CMainDlg::start_storage_scan(bool system_disks, std::vector<std::string> images) {
    auto scan = std::make_unique<StorageScan>();
    StorageScan* raw = scan.get();
    scan->relay = std::make_unique<ui::MessageRelay>([this, raw](const Message& m) { on_storage_message(*raw, m); });
    scan->images = images;
    scan->job = std::make_unique<cdr::ScanJob>(storage_enumeration(system_disks, std::move(images)), options_.carve,
                                               scan->relay->sink_ref());
    storage_.push_back(std::move(scan));
    for (int id : {kIdPause, kIdResume, kIdStop}) buttons_[id]->setEnabled(true);
    set_button_shown(kIdPause, true);
    set_button_shown(kIdResume, false);
    raw->job->start();
}

void CMainDlg::on_storage_message(StorageScan& scan, const Message& m) {
    if (m.id == WM_DISKS_LISTED)
        on_disks_listed(scan);
    else if (m.id == WM_SCAN_EVENT)
        on_scan_event(scan);
}

void CMainDlg::on_disks_listed(StorageScan& scan) {
    if (!root_item_) return;
    scan.job->on_disks_listed();
    scan.listed = true;
    // Stop pressed before the job was running: it ends before it reads.
    if (scan.stop_asked) scan.job->stop();
    for (size_t i = 0; i < scan.job->disk_nodes().size(); ++i) {
        cdr::ScanTreeNode* node = scan.job->disk_nodes()[i];
        ui::TreeItem* item = tree_->insert_item(root_item_, ui::kItemDisk, QString::fromStdString(node->name), "disk.png", true);
        tree_->attach_data(item, node);
        tree_->set_checked(item, node->checked);
        scan.disk_items.push_back(item);
    }
    // A new checked disk under a checked root keeps it checked; under an
    // unchecked one it changes nothing.
    root_item_->setExpanded(true);
    notices_->add_notes(disk_notes(scan.job->problems(), {}));
}

void CMainDlg::on_scan_event(StorageScan& scan) {
    const std::optional<cdr::ScanEvent> e = scan.job->take_event();
    if (!e) return;
    ui::TreeItem* disk_item = e->disk_index < scan.disk_items.size() ? scan.disk_items[e->disk_index] : nullptr;
    switch (e->kind) {
        case cdr::kScanProgress:
            progress_->setValue(e->percent);
            break;
        case cdr::kScanNewType: {
            if (!disk_item || !e->node) break;
            bool checked = true;
            {
                auto lock = scan.job->tree_lock();
                checked = e->node->checked;
            }
            ui::TreeItem* item = tree_->insert_item(disk_item, ui::kItemFileType, QString::fromStdString(e->node->type_name()),
                                                    "folder.png");
            tree_->attach_data(item, e->node);
            tree_->set_checked(item, checked);
            disk_item->setExpanded(true);
            break;
        }
        case cdr::kScanDiskDone:
            if (!disk_item) break;
            {
                auto lock = scan.job->tree_lock();
                for (int i = 0; i < disk_item->childCount(); ++i) {
                    ui::TreeItem* child = ui::CTreeViewEx1::item_of(disk_item->child(i));
                    if (child->data.payload) child->setText(0, counted_type_label(*child->data.payload));
                }
            }
            tree_->viewport()->update();
            if (e->disk_index < scan.job->unreadable().size())
                notices_->add_notes(disk_read_notes(disk_item->text(0).toStdString(),
                                                    scan.job->unreadable()[e->disk_index],
                                                    scan.job->disk_errors()[e->disk_index]));
            break;
        case cdr::kScanAllDone:
            scan.finished = true;
            notices_->add_notes(disk_notes({}, scan.job->failure()));
            if (!pending_images_.empty()) {
                // Images opened while this scan ran are scanned next.
                std::vector<std::string> next;
                next.swap(pending_images_);
                start_storage_scan(false, std::move(next));
                break;
            }
            buttons_[kIdStop]->setEnabled(false);
            buttons_[kIdPause]->setEnabled(false);
            set_button_shown(kIdPause, true);
            set_button_shown(kIdResume, false);
            progress_->setValue(100);
            break;
        default:
            break;
    }
}

StorageScan* CMainDlg::active_scan() {
    for (auto& s : storage_)
        if (s->active()) return s.get();
    return nullptr;
}

int CMainDlg::scan_state() const { return storage_.empty() ? cdr::kScanIdle : storage_.back()->job->state(); }

StorageScan* CMainDlg::scan_of(ui::TreeItem* item) {
    while (item && item->data.kind != ui::kItemDisk) item = item->parent() ? ui::CTreeViewEx1::item_of(item->parent()) : nullptr;
    if (!item) return nullptr;
    for (auto& s : storage_)
        if (std::find(s->disk_items.begin(), s->disk_items.end(), item) != s->disk_items.end()) return s.get();
    return nullptr;
}

void CMainDlg::on_pause_resume() {
    StorageScan* scan = active_scan();
    if (!scan) return;
    const bool was_paused = scan->job->state() == cdr::kScanPaused;
    // Returns once the scan thread has confirmed; false when the scan ended meanwhile.
    if (!scan->job->pause_resume()) return;
    set_button_shown(kIdPause, was_paused);
    set_button_shown(kIdResume, !was_paused);
}

void CMainDlg::on_stop() {
    buttons_[kIdStop]->setEnabled(false);
    buttons_[kIdPause]->setEnabled(false);
    buttons_[kIdResume]->setEnabled(false);
    // Stop ends the scanning, images still waiting for their turn included.
    pending_images_.clear();
    for (auto& s : storage_)
        if (!s->listed) s->stop_asked = true;
    if (StorageScan* scan = active_scan()) scan->job->stop();
}

void CMainDlg::stop_storage_scans() {
    pending_images_.clear();
    for (auto& s : storage_)
        if (s->job) s->job->stop();
}

void CMainDlg::choose_and_open_image() {
    const QString path = choose_image_
                             ? choose_image_(this)
                             : QFileDialog::getOpenFileName(this, tr("Open disk image"), QString(),
                                                            tr("Disk images (*.img *.dd *.raw *.bin *.iso *.dmg);;All files (*)"));
    if (path.isEmpty()) return;
    open_disk_image(path.toStdString());
}

void CMainDlg::open_disk_image(const std::string& path) {
    std::error_code ec;
    const std::string key = std::filesystem::weakly_canonical(path, ec).string();
    for (const std::string& known : images_)
        if (std::filesystem::weakly_canonical(known, ec).string() == key) {
            ui::CMsgBox::show_box(ui::CMsgBox::kInformation, ui::CMsgBox::kOkButton,
                                  tr("%1 is among the disks to scan already.").arg(QString::fromStdString(path)), this);
            return;
        }
    images_.push_back(path);
    if (page_ == kPageResults && phone_loaded_ == false && contacts_item_) {
        // The phone is being read: the image goes into the scan that follows.
        return;
    }
    if (page_ == kPageResults) {
        if (active_scan()) {
            pending_images_.push_back(path);
        } else {
            show_toolbar(true, true);
            start_storage_scan(false, {path});
        }
        return;
    }
    pending_images_.push_back(path);
    // On the connect page: while the phone is looked for, the image waits for
    // the phone's scan; once the phone has failed, it is scanned on its own.
    if (load_state_ != phone::kLoading) enter_storage_only_results();
}

void CMainDlg::enter_storage_only_results() {
    insert_tree_roots(false);
    enter_results_page();
    show_toolbar(true, true);
    tree_->apply_downward(root_item_, true);
    pending_images_.clear();
    start_storage_scan(options_.system_disks, images_);
}

}  // namespace quen::app
