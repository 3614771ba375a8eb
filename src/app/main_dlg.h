#pragma once
// CMainDlg: the program's one window, frameless and skinned, 984 x 674. It
// has two pages:
//   connect  while the phone is looked for and read: the animation, or the
//            picture and tips of the state it ended in, and Refresh;
//   results  the tree of categories, the checked list, the preview panels,
//            the toolbar (Back, Recover, Pause, Resume, Stop), the progress
//            bar, and notes on what could not be read.
// It drives the phone scan job, the storage scan, the recovery progress
// dialog and the update checks, and hears from their worker threads only
// through messages (WM_USER + n) on its own thread.
//
// Beyond the phone's card, disk images can be scanned as removable disks:
// "Open disk image..." in the menu, or --image on the command line.
#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/connect_page.h"
#include "app/storage_scan.h"
#include "phone/phone_scan_job.h"
#include "update/update_thread.h"

class QProgressBar;

namespace quen::cdr {
class PreviewCopyWorker;
}

namespace quen::ui {
class CImgButton;
class CMyHyperLink;
class CTreeViewEx1;
class CListViewCheck1;
class CContactInfoBoard;
class CMsgInfoBoard;
class DhImagePreviewBoard;
class QtMessageSink;
class TreeItem;
}  // namespace quen::ui

namespace quen::app {

class NoticeBoard;

enum MainPage : int { kPageConnect = 1, kPageResults = 2 };

class CMainDlg final : public QWidget {
    Q_OBJECT
public:
    explicit CMainDlg(AppOptions options, QWidget* parent = nullptr);
    // Closes the program's work first if close_program() has not run.
    ~CMainDlg() override;

    // Stand-ins for the platform's dialogs, for the tests: the folder to
    // recover into and the image file to open (an empty text is a cancel).
    using PathChooser = std::function<QString(QWidget* owner)>;
    void set_folder_chooser(PathChooser chooser) { choose_folder_ = std::move(chooser); }
    void set_image_chooser(PathChooser chooser) { choose_image_ = std::move(chooser); }

    // The close in its order: the storage scan stopped, the records freed,
    // the work files deleted, the adb server stopped; then the window goes and
    // finished(exit_code) is emitted. Safe to call more than once.
    void close_program(int exit_code);
    // A command of the menu, as if chosen (kMenu*).
    void run_menu_command(int command);
    // Scans an image file as a removable disk (what "Open disk image..." does
    // once a file is chosen).
    void open_disk_image(const std::string& path);

    // What the window shows, for the tests and the screenshots.
    int page() const { return page_; }
    phone::LoadState load_state() const { return load_state_; }
    ui::CImgButton* button(int id) const;
    QLabel* label_of(int button_id) const;
    ui::CTreeViewEx1* tree() const { return tree_; }
    ui::CListViewCheck1* list() const { return list_; }
    QProgressBar* progress_bar() const { return progress_; }
    ui::CContactInfoBoard* contact_panel() const { return contact_panel_; }
    ui::CMsgInfoBoard* conversation_panel() const { return conversation_panel_; }
    ui::DhImagePreviewBoard* image_panel() const { return image_panel_; }
    ui::CMyHyperLink* help_link() const { return help_link_; }
    NoticeBoard* notices() const { return notices_; }
    ui::TreeItem* root_item() const { return root_item_; }
    ui::TreeItem* contacts_item() const { return contacts_item_; }
    ui::TreeItem* messages_item() const { return messages_item_; }
    bool animating() const { return animation_running_; }
    // What is being copied from the phone, shown under the animation.
    const QString& transfer_status() const { return transfer_text_; }
    // The phone scan under way or last finished (null after Back or close);
    // its threads hold it as long as they run.
    std::shared_ptr<const phone::PhoneScan> phone_scan() const { return phone_; }
    const phone::WorkFolder& work_folder() const { return work_; }
    // The state of the storage scan last started (kScanIdle when none).
    int scan_state() const;
    const std::vector<std::unique_ptr<StorageScan>>& storage_scans() const { return storage_; }
    bool closed() const { return closed_; }

signals:
    void finished(int exit_code);

protected:
    bool event(QEvent*) override;
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void closeEvent(QCloseEvent*) override;

private:
    // Building (main_dlg.cpp).
    void build_controls();
    void centre_on_screen();
    void on_button(int id);
    void show_toolbar(bool back_recover, bool pause_stop);
    void set_button_shown(int id, bool shown);

    // The connect page and its animation (main_dlg.cpp).
    void animation_tick();
    void stop_animation();

    // The phone (phone_flow.cpp).
    void start_acquisition();
    void on_transfer_progress();
    void on_device_state(WParam state);
    void on_load_progress(WParam step, LParam total);
    void on_phone_data_loaded();
    void insert_tree_roots(bool with_phone);
    void enter_results_page();

    // The storage scan (storage_flow.cpp).
    void start_storage_scan(bool system_disks, std::vector<std::string> images);
    void on_storage_message(StorageScan& scan, const Message& m);
    void on_disks_listed(StorageScan& scan);
    void on_scan_event(StorageScan& scan);
    void on_pause_resume();
    void on_stop();
    void stop_storage_scans();
    void choose_and_open_image();
    void enter_storage_only_results();
    StorageScan* scan_of(ui::TreeItem* item);
    StorageScan* active_scan();

    // Checks, categories and previews (check_sync.cpp).
    void on_tree_item_checked(ui::TreeItem* item, bool checked);
    void on_list_row_checked(int row, bool checked);
    void show_category(ui::TreeItem* item);
    void show_row(int row);
    void hide_previews();
    bool category_all_checked(ui::TreeItem* item);

    // Toolbar and menu (commands.cpp).
    void on_back();
    void on_refresh();
    void on_recover();
    void on_menu();
    void on_update_result(WParam newer, LParam version);
    void start_automatic_update();
    void clear_results();

    AppOptions options_;
    std::shared_ptr<ui::QtMessageSink> sink_;
    phone::WorkFolder work_;
    std::shared_ptr<phone::PhoneScan> phone_;
    bool phone_loaded_ = false;
    std::vector<std::unique_ptr<StorageScan>> storage_;
    std::vector<std::string> images_;          // every image opened this session
    std::vector<std::string> pending_images_;  // opened, not yet in any scan
    std::unique_ptr<cdr::PreviewCopyWorker> copy_worker_;
    std::map<const void*, int> preview_ids_;
    int next_preview_id_ = 1;
    std::vector<update::UpdateCheckHandle> update_checks_;

    int page_ = kPageConnect;
    phone::LoadState load_state_ = phone::kLoading;
    bool closed_ = false;

    // The connect page.
    ConnectPictures pictures_;
    QPixmap results_background_;
    QMovie* animation_ = nullptr;
    int animation_index_ = 0;
    bool animation_running_ = false;
    QTimer animation_timer_;  // timer 2
    QTimer update_timer_;     // timer 3
    QString transfer_text_;   // the copy under way, under the animation

    std::map<int, ui::CImgButton*> buttons_;
    std::map<int, QLabel*> labels_;
    ui::CMyHyperLink* help_link_ = nullptr;
    ui::CTreeViewEx1* tree_ = nullptr;
    ui::CListViewCheck1* list_ = nullptr;
    QProgressBar* progress_ = nullptr;
    ui::CContactInfoBoard* contact_panel_ = nullptr;
    ui::CMsgInfoBoard* conversation_panel_ = nullptr;
    ui::DhImagePreviewBoard* image_panel_ = nullptr;
    NoticeBoard* notices_ = nullptr;

    ui::TreeItem* root_item_ = nullptr;
    ui::TreeItem* contacts_item_ = nullptr;
    ui::TreeItem* messages_item_ = nullptr;
    ui::TreeItem* shown_item_ = nullptr;  // the category the list shows

    PathChooser choose_folder_;
    PathChooser choose_image_;
    QString output_folder_;  // of the last recovery

    bool dragging_ = false;
    QPoint drag_offset_;
};

}  // namespace quen::app
