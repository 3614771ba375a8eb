#include "ui/recovery/recover_progress_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>

#include "ui/controls/img_button.h"
#include "ui/skin/font_pool.h"
#include "ui/skin/skin_palette.h"
#include "ui/sink/qt_message_sink.h"

namespace quen::ui {
namespace {

constexpr int kRefreshMs = 400;

QLabel* make_label(const QString& text, const QRect& place, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(place);
    l->setFont(pool_font(256));
    // Red on the dialog's own surface, no background of its own.
    l->setStyleSheet("QLabel { color: rgb(255,0,0); background: transparent; }");
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

}  // namespace

DhRecoverProgressDialog::DhRecoverProgressDialog(RecoveryInputs inputs, QWidget* owner)
    : SkinnedDialog("regbox.png", owner),
      inputs_(std::move(inputs)),
      progress_(std::make_shared<RecoveryProgress>()),
      sink_(std::make_shared<QtMessageSink>(this)) {
    setModal(true);
    set_title_place(QPoint(40, 7), pool_font(0));

    status_ = make_label("0/0 (FileName)", QRect(20, 130, 330, 30), this);
    bar_ = new QProgressBar(this);
    bar_->setObjectName("recoveryBar");
    bar_->setGeometry(20, 160, 330, 20);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setStyleSheet(skin::progress_bar_style(skin::kPanel));
    finished_ = make_label("Recovering finished.", QRect(20, 190, 330, 30), this);
    finished_->hide();

    close_ = new CImgButton(kCloseButton, tr("Close"), this);
    close_->attach("close.png", -5, 5);
    stop_ = new CImgButton(kStopButton, tr("Stop"), this);
    stop_->attach("stop.png", 205, 200);
    finish_ = new CImgButton(kFinishButton, tr("Close"), this);
    finish_->attach("close_dlg.png", 287, 200);
    connect(close_, &QAbstractButton::clicked, this, &DhRecoverProgressDialog::request_close);
    connect(finish_, &QAbstractButton::clicked, this, &DhRecoverProgressDialog::request_close);
    connect(stop_, &QAbstractButton::clicked, this, [this] {
        cdr::process_recovery_state().set(cdr::kRecoveryStopRequested);
        stop_->setEnabled(false);
    });

    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, &DhRecoverProgressDialog::refresh);
}

DhRecoverProgressDialog::~DhRecoverProgressDialog() {
    sink_->close();
    if (worker_.joinable()) {
        // A dialog that ends before its worker (destroyed without being
        // closed) still stops it, so nothing it points to goes away under it.
        if (!worker_done_) cdr::process_recovery_state().set(cdr::kRecoveryStopRequested);
        worker_.join();
    }
}

void DhRecoverProgressDialog::start() {
    if (worker_.joinable()) return;
    // Running before the worker starts, so a Stop pressed at once is not lost.
    cdr::process_recovery_state().set(cdr::kRecoveryRunning);
    timer_.start();
    // The worker shares the progress and the sink; the inputs stay with the
    // dialog, which outlives the worker (its destructor joins it).
    worker_ = std::thread([in = &inputs_, progress = progress_, sink = sink_] {
        run_recovery_walk(*in, *progress, cdr::process_recovery_state(), *sink);
    });
}

int DhRecoverProgressDialog::exec() {
    start();
    return SkinnedDialog::exec();
}

bool DhRecoverProgressDialog::event(QEvent* e) {
    if (const Message* m = sink_message(e)) {
        if (m->id == WM_RECOVERY_DONE && m->wparam == cdr::kRecoveryFinished) on_recovery_done();
        return true;
    }
    return SkinnedDialog::event(e);
}

void DhRecoverProgressDialog::refresh() {
    status_->setText(QString::fromUtf8(progress_->status_text()));
    bar_->setValue(progress_->percent());
}

void DhRecoverProgressDialog::on_recovery_done() {
    if (!worker_done_ && worker_.joinable()) worker_.join();
    worker_done_ = true;
    timer_.stop();
    refresh();
    const std::vector<std::string> failures = progress_->failures();
    if (!failures.empty()) {
        // Saying "finished" alone would pass a partial recovery off as whole.
        finished_->setText(tr("Recovering finished; %n item(s) could not be saved.", nullptr, static_cast<int>(failures.size())));
        QString list;
        for (const std::string& f : failures) list += QString::fromUtf8(f) + '\n';
        finished_->setToolTip(list.trimmed());
    }
    finished_->show();
    stop_->setEnabled(false);
    cdr::process_recovery_state().set(cdr::kRecoveryFinished);
    if (close_requested_) done(0);
}

void DhRecoverProgressDialog::request_close() {
    close_->setEnabled(false);
    stop_->setEnabled(false);
    finish_->setEnabled(false);
    close_requested_ = true;
    if (worker_done_ || !worker_.joinable())
        sink_->post(WM_RECOVERY_DONE, cdr::kRecoveryFinished, 0);
    else
        cdr::process_recovery_state().set(cdr::kRecoveryStopRequested);
}

void DhRecoverProgressDialog::reject() {
    if (!close_requested_) request_close();
}

void DhRecoverProgressDialog::closeEvent(QCloseEvent* e) {
    // The window manager's close: as the close button, the dialog ending
    // when the worker has.
    e->ignore();
    reject();
}

QString DhRecoverProgressDialog::status_text() const { return status_->text(); }
int DhRecoverProgressDialog::bar_value() const { return bar_->value(); }
bool DhRecoverProgressDialog::finished_shown() const { return !finished_->isHidden(); }
QString DhRecoverProgressDialog::finished_text() const { return finished_->text(); }

CImgButton* DhRecoverProgressDialog::button(int id) const {
    for (CImgButton* b : {close_, stop_, finish_})
        if (b->id() == id) return b;
    return nullptr;
}

}  // namespace quen::ui
