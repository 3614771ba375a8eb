// The main window's commands: Back, Refresh, Recover, the menu and the
// update checks' answers.
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>

#include "app/main_dlg.h"
#include "app/main_layout.h"
#include "app/notice_board.h"
#include "cdr/output/found_file_writer.h"
#include "ui/controls/hyperlink.h"
#include "ui/controls/img_button.h"
#include "ui/controls/url_opener.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/msg_box.h"
#include "ui/list/check_list.h"
#include "ui/preview/contact_board.h"
#include "ui/preview/conversation_board.h"
#include "ui/preview/image_board.h"
#include "ui/recovery/recover_progress_dialog.h"
#include "ui/sink/qt_message_sink.h"
#include "ui/tree/result_tree.h"
#include "update/update_texts.h"

namespace quen::app {
namespace {

// Checks that have ended are let go as new ones start, so a long session
// keeps only those still under way.
void add_update_check(std::vector<update::UpdateCheckHandle>& checks, update::UpdateCheckHandle check) {
    std::erase_if(checks, [](const update::UpdateCheckHandle& c) { return c.finished(); });
    checks.push_back(std::move(check));
}

}  // namespace

void CMainDlg::clear_results() {
    // The list and the previews point into the records and the storage
    // tree: they let go first. Stopping joins the scan threads; the phone's
    // threads, which keep their own job, are told to end.
    if (phone_) phone_->stop = true;
    stop_storage_scans();
    list_->clear_all();
    list_->hide();
    contact_panel_->show_contact(nullptr);
    conversation_panel_->show_conversation(nullptr);
    image_panel_->set_requested({});
    hide_previews();
    tree_->clear();
    tree_->hide();
    root_item_ = contacts_item_ = messages_item_ = shown_item_ = nullptr;
    storage_.clear();
    phone_.reset();
    phone_loaded_ = false;
    preview_ids_.clear();
    pending_images_.clear();
    notices_->set_notes({});
}

void CMainDlg::on_back() {
    if (ui::CMsgBox::show_box(ui::CMsgBox::kWarning, ui::CMsgBox::kYesButton | ui::CMsgBox::kNoButton,
                              "Are you sure to go back to reload the data from Android phone?", this) != ui::CMsgBox::kYes)
        return;
    clear_results();
    show_toolbar(false, false);
    buttons_[kIdRefresh]->setEnabled(false);
    buttons_[kIdRefresh]->show();
    help_link_->show();
    progress_->hide();
    progress_->setValue(0);
    page_ = kPageConnect;
    load_state_ = phone::kLoading;
    stop_animation();
    repaint();
    phone::delete_work_files(work_);
    start_acquisition();
}

void CMainDlg::on_refresh() {
    help_link_->show();
    buttons_[kIdRefresh]->setEnabled(false);
    stop_animation();
    load_state_ = phone::kLoading;
    repaint();
    start_acquisition();
}

void CMainDlg::on_recover() {
    const QString chosen = choose_folder_ ? choose_folder_(this) : QFileDialog::getExistingDirectory(this, QDir::currentPath());
    if (chosen.isEmpty()) return;  // cancelled
    if (!QFileInfo(chosen).isDir()) {
        ui::CMsgBox::show_box(ui::CMsgBox::kWarning, ui::CMsgBox::kOkButton, "Please select the directory to save the files recovered.", this);
        return;
    }
    std::string error;
    const std::string out = cdr::make_output_folder(chosen.toStdString(), &error);
    if (out.empty()) {
        // Recovering into a folder that is not there would fail file by file.
        ui::CMsgBox::show_box(ui::CMsgBox::kError, ui::CMsgBox::kOkButton,
                              tr("The folder to save into cannot be made: %1").arg(QString::fromStdString(error)), this);
        return;
    }
    output_folder_ = QString::fromStdString(out);
    progress_->setValue(0);
    progress_->show();

    ui::RecoveryInputs in;
    for (int i = 0; root_item_ && i < root_item_->childCount(); ++i) {
        const ui::TreeItem* item = ui::CTreeViewEx1::item_of(root_item_->child(i));
        in.categories.push_back({item->data.kind, item->data.enabled, item->text(0).toStdString(), item->data.payload});
    }
    if (phone_ && phone_loaded_) {
        in.contacts = &phone_->contact_list;
        in.threads = &phone_->thread_list;
    }
    in.output_folder = out;
    in.template_path = options_.template_path;

    // The recovery reads the found-file lists the scan appends to: a running
    // scan waits, paused, until the recovery is over.
    StorageScan* running = active_scan();
    const bool paused_here = running && running->job->state() == cdr::kScanRunning && running->job->pause_resume();
    {
        ui::DhRecoverProgressDialog dialog(std::move(in), this);
        dialog.exec();
    }
    if (paused_here && running->job->state() == cdr::kScanPaused) running->job->pause_resume();
    if (!active_scan() && !storage_.empty()) progress_->setValue(100);
}

void CMainDlg::on_menu() {
    QMenu menu(this);
    const std::pair<const char*, int> items[] = {
        {"Home", kMenuHome}, {"About", kMenuAbout}, {"Help", kMenuHelp}, {"Update", kMenuUpdate},
        {"Open disk image\u2026", kMenuOpenImage}, {"Exit", kMenuExit},
    };
    for (const auto& [text, id] : items) {
        if (id == kMenuOpenImage) menu.addSeparator();
        menu.addAction(tr(text))->setData(id);
    }
    if (const QAction* chosen = menu.exec(mapToGlobal(kMenuAt))) run_menu_command(chosen->data().toInt());
}

void CMainDlg::run_menu_command(int command) {
    switch (command) {
        case kMenuHome: ui::open_url(ui::product_page_url()); break;
        case kMenuAbout: ui::CAboutBox::show_box(this); break;
        case kMenuHelp: ui::open_url(ui::online_help_url()); break;
        case kMenuUpdate: add_update_check(update_checks_, update::start_manual_update_check(options_.update, sink_)); break;
        case kMenuOpenImage: choose_and_open_image(); break;
        case kMenuExit: close_program(0); break;
        default: break;
    }
}

void CMainDlg::start_automatic_update() {
    add_update_check(update_checks_, update::start_automatic_update_check(options_.update, sink_));
}

void CMainDlg::on_update_result(WParam newer, LParam version) {
    const QString text = QString::fromStdString(update::update_result_text(newer, version));
    if (newer) {
        if (ui::CMsgBox::show_box(ui::CMsgBox::kInformation, ui::CMsgBox::kYesButton | ui::CMsgBox::kNoButton, text, this) ==
            ui::CMsgBox::kYes)
            ui::open_url(ui::product_page_url());
    } else {
        ui::CMsgBox::show_box(ui::CMsgBox::kInformation, ui::CMsgBox::kYesButton, text, this);
    }
}

}  // namespace quen::app
