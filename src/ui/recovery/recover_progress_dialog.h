#pragma once
// DhRecoverProgressDialog: the modal dialog that saves everything checked. A
// worker thread walks the categories (recovery_walk.h); the dialog shows
// "<done>/<total> (<category>)" and a bar, refreshed every 400 ms, a Stop
// button, and "Recovering finished." at the end. Stop ends the walk before
// the next category or file; the close and finish buttons stop a running
// recovery and end the dialog once the worker has ended, or at once after it.
#include <QTimer>

#include <memory>
#include <thread>

#include "ui/dialogs/skinned_dialog.h"
#include "ui/recovery/recovery_walk.h"

class QLabel;
class QProgressBar;

namespace quen::ui {

class CImgButton;
class QtMessageSink;

class DhRecoverProgressDialog final : public SkinnedDialog {
    Q_OBJECT
public:
    enum ControlId { kProgressBar = 1036, kFinishedLabel = 1037, kCloseButton = 1040, kStopButton = 1041, kFinishButton = 1024 };

    // The records and nodes the inputs point to must stay unchanged while the
    // dialog is open (it is modal, so the window cannot change them).
    DhRecoverProgressDialog(RecoveryInputs inputs, QWidget* owner);
    // Waits for the worker, which a closed dialog has already stopped.
    ~DhRecoverProgressDialog() override;

    // Starts the worker; exec() does it too.
    void start();
    int exec() override;

    // What the dialog shows, for the tests and the window.
    QString status_text() const;
    int bar_value() const;
    bool finished_shown() const;
    QString finished_text() const;
    bool worker_done() const { return worker_done_; }
    const RecoveryProgress& progress() const { return *progress_; }
    CImgButton* button(int id) const;

protected:
    bool event(QEvent*) override;
    void reject() override;
    void closeEvent(QCloseEvent*) override;

private:
    void refresh();
    void on_recovery_done();
    void request_close();

    RecoveryInputs inputs_;
    std::shared_ptr<RecoveryProgress> progress_;
    std::shared_ptr<QtMessageSink> sink_;
    std::thread worker_;
    QTimer timer_;
    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* finished_ = nullptr;
    CImgButton* close_ = nullptr;
    CImgButton* stop_ = nullptr;
    CImgButton* finish_ = nullptr;
    bool close_requested_ = false;
    bool worker_done_ = false;
};

}  // namespace quen::ui
