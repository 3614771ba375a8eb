// The main window's side of the phone scan job: starting an acquisition, the
// state it ends in, the eight load steps, and the records arriving.
#include <QProgressBar>

#include "app/main_dlg.h"
#include "app/connect_page.h"
#include "app/main_layout.h"
#include "app/notice_board.h"
#include "app/results_notes.h"
#include "export/report_folders.h"
#include "ui/controls/hyperlink.h"
#include "ui/controls/img_button.h"
#include "ui/recovery/recovery_walk.h"
#include "ui/sink/qt_message_sink.h"
#include "ui/tree/result_tree.h"

namespace quen::app {

void CMainDlg::start_acquisition() {
    // A fresh job each time: the records of an earlier one were freed by
    // Back, and its threads keep their own job until they end.
    phone_ = std::make_shared<phone::PhoneScan>();
    phone_->sink = sink_;
    phone_->helper.path = options_.adb;
    phone_->helper.serial = options_.serial;
    phone_->work = work_;
    phone_loaded_ = false;
    load_state_ = phone::kLoading;
    phone::start_acquisition(phone_);
}

void CMainDlg::on_transfer_progress() {
    if (!phone_ || page_ != kPageConnect) return;
    const QString text = transfer_text(phone_->transfer_progress());
    if (text == transfer_text_) return;
    transfer_text_ = text;
    update(kPictureRect);
}

void CMainDlg::on_device_state(WParam state) {
    transfer_text_.clear();
    stop_animation();
    animation_index_ = 0;
    load_state_ = static_cast<phone::LoadState>(state);
    if (load_state_ != static_cast<int>(phone::DeviceState::Ready)) {
        update();
        buttons_[kIdRefresh]->setEnabled(true);
        // An image opened while the phone was looked for is scanned now,
        // without the phone.
        if (!pending_images_.empty()) enter_storage_only_results();
        return;
    }
    insert_tree_roots(true);
    enter_results_page();
    if (phone_ && !phone_->stop) phone::start_read(phone_);
}

void CMainDlg::insert_tree_roots(bool with_phone) {
    tree_->clear();
    root_item_ = tree_->insert_item(nullptr, ui::kItemPhone, "android phone", "treeroot.png", true);
    contacts_item_ = messages_item_ = nullptr;
    if (with_phone) {
        contacts_item_ = tree_->insert_item(root_item_, ui::kItemContacts, "Contacts", "contacts.png");
        messages_item_ = tree_->insert_item(root_item_, ui::kItemMessages, "Message", "message.png");
        // The records are being read on another thread: the two categories
        // show nothing until their data is attached.
        contacts_item_->data.enabled = false;
        messages_item_->data.enabled = false;
    }
    root_item_->setExpanded(true);
}

void CMainDlg::enter_results_page() {
    page_ = kPageResults;
    tree_->show();
    progress_->setValue(0);
    progress_->show();
    set_button_shown(kIdBack, false);
    buttons_[kIdRefresh]->hide();
    help_link_->hide();
    update();
}

void CMainDlg::on_load_progress(WParam step, LParam total) {
    progress_->setValue(static_cast<int>(phone::load_progress_position(step, total)));
}

void CMainDlg::on_phone_data_loaded() {
    if (!phone_ || !contacts_item_) return;
    phone_loaded_ = true;
    progress_->setValue(1);
    progress_->show();
    show_toolbar(true, true);

    tree_->attach_data(contacts_item_, nullptr,
                       QString::fromStdString(exports::counted_label("Contacts", static_cast<long long>(phone_->contact_map.size()))));
    tree_->attach_data(messages_item_, nullptr,
                       QString::fromStdString(exports::counted_label("Message", static_cast<long long>(phone_->thread_map.size()))));
    // Everything starts checked: the tree from the root down, each change
    // reported, so every record's flag follows.
    tree_->apply_downward(root_item_, true);
    tree_->setCurrentItem(contacts_item_);
    if (shown_item_ != contacts_item_) show_category(contacts_item_);

    root_item_->setToolTip(0, QString::fromStdString(phone_summary(phone_->acquisition)));
    notices_->set_notes(phone_notes(phone_->acquisition, phone_->read_failures));
    pending_images_.clear();
    start_storage_scan(options_.system_disks, images_);
}

}  // namespace quen::app
