#pragma once
// What the window's tests run the program on: the phone simulator playing a
// phone (the sample phone's databases when asked), a sample card image made
// once per test run, and the answers a user would give to the window's boxes.
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/main_dlg.h"
#include "sample_card.h"
#include "test_support/sim_phone.h"

namespace quen::test {

// The sample card (64 MiB) and the files the carver must find in it.
struct SampleCard {
    std::string path;
    std::string bytes;
    std::vector<sample::ExpectedFile> expected;
};
const SampleCard& sample_card();

// The sample phone's two databases put where Android keeps them.
void put_sample_databases(SimPhone& phone);

// Options for a window on this phone: the simulator as the adb helper, the
// work folder in the phone's temporary folder, no disks of this machine, no
// update check, the source tree's template.
app::AppOptions window_options(const SimPhone& phone);

// A window on screen (offscreen), with its finished() signal recorded.
struct Window {
    std::unique_ptr<app::CMainDlg> dlg;
    bool finished = false;
    int exit_code = -1;

    explicit Window(app::AppOptions options);
    app::CMainDlg* operator->() const { return dlg.get(); }
    app::CMainDlg& operator*() const { return *dlg; }
};

// Clicks `button` of the next message box that opens (CMsgBox result ids).
void answer_next_box(int button);
// Polls the visible top-level widgets until `act` takes one (returns true).
void on_next_dialog(const std::function<bool(QWidget*)>& act);

// Threads of this process now.
int thread_count();

// Waits until the window's storage scan has finished (its Stop disabled).
bool wait_for_scan_end(app::CMainDlg& dlg, int timeout_ms = 120000);

}  // namespace quen::test
