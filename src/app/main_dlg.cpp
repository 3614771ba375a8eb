#include "app/main_dlg.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

#include <chrono>
#include <thread>

#include "app/main_layout.h"
#include "app/notice_board.h"
#include "cdr/scan/preview_copy_worker.h"
#include "ui/controls/hyperlink.h"
#include "ui/controls/img_button.h"
#include "ui/controls/url_opener.h"
#include "ui/dialogs/msg_box.h"
#include "ui/list/check_list.h"
#include "ui/preview/contact_board.h"
#include "ui/preview/conversation_board.h"
#include "ui/preview/image_board.h"
#include "ui/sink/qt_message_sink.h"
#include "ui/skin/drawing_helpers.h"
#include "ui/skin/skin_folder.h"
#include "ui/skin/skin_palette.h"
#include "ui/tree/result_tree.h"
#include "update/description/update_info.h"

namespace quen::app {
namespace {

constexpr int kFirstFrameMs = 80;
// A GIF frame without a delay is shown this long, as browsers do.
constexpr int kShortestFrameMs = 20;
// How long the close waits for the phone's worker threads, which were told to
// stop, to end before the program goes without them.
constexpr auto kWorkerGrace = std::chrono::seconds(5);

// The animation at the screen's scale: "@2x" on a screen scaled 1.5 or more.
QString animation_file(qreal ratio) {
    if (ratio >= 1.5) {
        const QString twice = ui::skin_path("loaddata@2x.gif");
        if (QFile::exists(twice)) return twice;
    }
    return ui::skin_path("loaddata.gif");
}

}  // namespace

CMainDlg::CMainDlg(AppOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      options_(std::move(options)),
      sink_(std::make_shared<ui::QtMessageSink>(this)),
      images_(options_.images) {
    // The copy worker lives as long as the window; it reports to the sink,
    // which outlives it.
    copy_worker_ = std::make_unique<cdr::PreviewCopyWorker>();

    setWindowTitle(QString::fromUtf8(update::kProductName));
    setWindowIcon(QIcon(ui::skin_path("quenfora.png")));
    setFixedSize(kWindowWidth, kWindowHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    pictures_.background = ui::load_skin_picture("mainbg1.png");
    pictures_.step = ui::load_skin_picture("step1.png");
    pictures_.failed = ui::load_skin_picture("loadfail.png");
    pictures_.warning = ui::load_skin_picture("loadwarn.png");
    pictures_.authorise = ui::load_skin_picture("rsa_tip.png");
    results_background_ = ui::load_skin_picture("mainbg2.png");
    animation_ = new QMovie(animation_file(devicePixelRatioF()), QByteArray(), this);
    animation_->setCacheMode(QMovie::CacheNone);
    animation_->jumpToFrame(0);

    build_controls();
    centre_on_screen();

    work_ = options_.temp_folder.empty() ? phone::prepare_work_folder() : phone::prepare_work_folder(options_.temp_folder);

    animation_timer_.setSingleShot(true);
    connect(&animation_timer_, &QTimer::timeout, this, &CMainDlg::animation_tick);
    update_timer_.setSingleShot(true);
    update_timer_.setInterval(1000);
    connect(&update_timer_, &QTimer::timeout, this, &CMainDlg::start_automatic_update);
    if (options_.automatic_update) update_timer_.start();

    start_acquisition();
}

CMainDlg::~CMainDlg() { close_program(0); }

void CMainDlg::build_controls() {
    for (const ButtonPlace& b : kButtons) {
        auto* button = new ui::CImgButton(b.id, tr(b.name), this);
        button->attach(b.picture, b.x, b.y, b.frames);
        button->setVisible(b.shown);
        connect(button, &QAbstractButton::clicked, this, [this, id = b.id] { on_button(id); });
        buttons_[b.id] = button;
    }
    buttons_[kIdRefresh]->setEnabled(false);
    const QFont label_font = ui::get_font("Courier New", 16, 400);
    for (const LabelPlace& l : kLabels) {
        auto* label = new QLabel(tr(l.text), this);
        label->setGeometry(l.x, kLabelY, kLabelWidth, kLabelHeight);
        label->setFont(label_font);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setStyleSheet("QLabel { background: transparent; color: black; }");
        label->hide();
        labels_[l.button] = label;
    }

    help_link_ = new ui::CMyHyperLink(tr("Have Problems?"), ui::online_help_url(), ui::get_font("Arial", 16, 400), this);
    help_link_->move(kHelpLinkAt);

    tree_ = new ui::CTreeViewEx1(this);
    tree_->setGeometry(kTreePlace);
    tree_->set_host(sink_.get());
    tree_->hide();
    connect(tree_, &ui::CTreeViewEx1::selection_moved, this, [this](ui::TreeItem* item) { show_category(item); });

    list_ = new ui::CListViewCheck1(this);
    list_->setGeometry(kListPlace);
    list_->set_row_height(kListRowHeight);
    list_->set_host(sink_.get());
    list_->hide();
    connect(list_, &ui::CListViewCheck1::row_chosen, this, [this](int row) { show_row(row); });

    progress_ = new QProgressBar(this);
    progress_->setObjectName("scanProgress");
    progress_->setGeometry(kProgressPlace);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setAccessibleName(tr("Progress"));
    progress_->setStyleSheet(ui::skin::progress_bar_style(ui::skin::kSurface));
    progress_->hide();

    contact_panel_ = new ui::CContactInfoBoard(this);
    conversation_panel_ = new ui::CMsgInfoBoard(this);
    image_panel_ = new ui::DhImagePreviewBoard(this);
    image_panel_->setObjectName("preview_board");
    for (QWidget* panel : std::initializer_list<QWidget*>{contact_panel_, conversation_panel_, image_panel_}) {
        panel->setGeometry(kPreviewPlace);
        panel->hide();
    }
    contact_panel_->set_canvas(QRect(0, 0, 984, 628));

    notices_ = new NoticeBoard(this);
    notices_->setGeometry(kNoticePlace);
    connect(notices_, &NoticeBoard::details_asked, this, [this] {
        ui::CMsgBox::show_box(ui::CMsgBox::kWarning, ui::CMsgBox::kOkButton, notices_->full_text(), this);
    });
}

void CMainDlg::centre_on_screen() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

ui::CImgButton* CMainDlg::button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

QLabel* CMainDlg::label_of(int button_id) const {
    const auto it = labels_.find(button_id);
    return it == labels_.end() ? nullptr : it->second;
}

void CMainDlg::set_button_shown(int id, bool shown) {
    if (auto* b = button(id)) b->setVisible(shown);
    if (auto* l = label_of(id)) l->setVisible(shown);
}

void CMainDlg::show_toolbar(bool back_recover, bool pause_stop) {
    set_button_shown(kIdBack, back_recover);
    set_button_shown(kIdRecover, back_recover);
    set_button_shown(kIdPause, pause_stop);
    set_button_shown(kIdStop, pause_stop);
    set_button_shown(kIdResume, false);
}

void CMainDlg::on_button(int id) {
    switch (id) {
        case kIdClose: close_program(0); break;
        case kIdMinimise: showMinimized(); break;
        case kIdMenu: on_menu(); break;
        case kIdHelp: ui::open_url(ui::support_page_url()); break;
        case kIdHome: ui::open_url(ui::product_page_url()); break;
        case kIdBack: on_back(); break;
        case kIdRecover: on_recover(); break;
        case kIdPause:
        case kIdResume: on_pause_resume(); break;
        case kIdStop: on_stop(); break;
        case kIdRefresh: on_refresh(); break;
        default: break;
    }
}

bool CMainDlg::event(QEvent* e) {
    if (const Message* m = ui::sink_message(e)) {
        switch (m->id) {
            case WM_DEVICE_STATE: on_device_state(m->wparam); break;
            case WM_TRANSFER_PROGRESS: on_transfer_progress(); break;
            case WM_LOAD_PROGRESS: on_load_progress(m->wparam, m->lparam); break;
            case WM_PHONE_DATA_LOADED: on_phone_data_loaded(); break;
            case WM_UPDATE_RESULT: on_update_result(m->wparam, m->lparam); break;
            case WM_PREVIEW_REDRAW: image_panel_->copy_written(); break;
            case WM_TREE_ITEM_CHECKED: on_tree_item_checked(reinterpret_cast<ui::TreeItem*>(m->wparam), m->lparam != 0); break;
            case WM_LIST_ROW_CHECKED: on_list_row_checked(static_cast<int>(m->wparam), m->lparam != 0); break;
            default: break;
        }
        return true;
    }
    return QWidget::event(e);
}

void CMainDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (page_ == kPageResults) {
        p.drawPixmap(QPoint(0, 0), results_background_);
        return;
    }
    paint_connect_page(p, load_state_, animation_->currentPixmap(), pictures_, transfer_text_);
    if (load_state_ == phone::kLoading && !animation_running_) {
        animation_running_ = true;
        animation_timer_.start(kFirstFrameMs);
    }
}

void CMainDlg::animation_tick() {
    if (!animation_running_) return;
    animation_timer_.stop();
    animation_running_ = false;
    const int frames = animation_->frameCount();
    // A single picture is drawn once and not animated.
    if (frames <= 1) return;
    animation_->jumpToFrame(animation_index_);
    // The frame stays for its own delay (hundredths of a second in the file).
    const int delay = std::max(kShortestFrameMs, animation_->nextFrameDelay());
    animation_index_ = (animation_index_ + 1) % frames;
    animation_timer_.start(delay);
    animation_running_ = true;
    update(kPictureRect);
}

void CMainDlg::stop_animation() {
    animation_timer_.stop();
    animation_running_ = false;
}

void CMainDlg::resizeEvent(QResizeEvent* e) {
    // Slightly rounded corners: the window plus one pixel each way, with a
    // 5 x 5 corner ellipse.
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width() + 1, height() + 1), 2.5, 2.5);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
    QWidget::resizeEvent(e);
}

void CMainDlg::mousePressEvent(QMouseEvent* e) {
    // The window is moved by any point of its own surface, as by a caption.
    if (e->button() == Qt::LeftButton) {
        if (windowHandle() && windowHandle()->startSystemMove()) return;
        dragging_ = true;
        drag_offset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QWidget::mousePressEvent(e);
}

void CMainDlg::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_ && (e->buttons() & Qt::LeftButton)) move(e->globalPosition().toPoint() - drag_offset_);
    QWidget::mouseMoveEvent(e);
}

void CMainDlg::mouseReleaseEvent(QMouseEvent* e) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(e);
}

void CMainDlg::closeEvent(QCloseEvent* e) {
    close_program(0);
    e->accept();
}

void CMainDlg::close_program(int exit_code) {
    if (closed_) return;
    closed_ = true;
    update_timer_.stop();
    stop_animation();
    // The scans are stopped and joined and the phone's job told to stop
    // before the records and the storage tree go.
    std::weak_ptr<phone::PhoneScan> phone_threads = phone_;
    clear_results();

    // Workers still under way are told to stop; the sink then drops what
    // they report and releases an update check waiting for its answer.
    for (update::UpdateCheckHandle& check : update_checks_) check.cancel();
    sink_->close();
    copy_worker_.reset();
    hide();

    // The phone's threads are detached and hold their job; told to stop they
    // end soon (the copy under way is cut and its part deleted, a reader
    // finishes the database it reads). Only then are the work files deleted,
    // so that no copy lands in a folder already removed, and the adb server
    // stopped, so that no adb call of theirs starts it again. A thread that
    // overstays is not waited for: its files go from under it.
    const auto deadline = std::chrono::steady_clock::now() + kWorkerGrace;
    while (!phone_threads.expired() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    phone::delete_work_files(work_);
    phone::remove_work_folder(work_);
    phone::AdbHelper helper;
    helper.path = options_.adb;
    phone::adb_kill_server(helper);

    for (update::UpdateCheckHandle& check : update_checks_) check.wait_for(std::chrono::milliseconds(1500));
    update_checks_.clear();
    emit finished(exit_code);
}

}  // namespace quen::app
