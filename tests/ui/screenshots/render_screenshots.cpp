// Renders the window's dialogs on a real display (scripts/screenshots runs it
// under Xvfb) and saves what the screen shows, a margin of desktop around
// each, as PNG files:  ui-screenshots OUTPUT_DIR SKIN_DIR
// (the main window itself is rendered by tests/app/screenshots).
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

#include "screenshot_desk.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/msg_box.h"
#include "ui/recovery/recover_progress_dialog.h"
#include "ui/skin/font_setup.h"
#include "ui/skin/skin_folder.h"
#include "ui_fixtures.h"

using namespace quen;

namespace {

QString g_out;
int g_failures = 0;

using shots::settle;

void save(QWidget& w, const QString& name) {
    if (!shots::save_shot(w, g_out, name, "ui-screenshots")) ++g_failures;
}

void message_boxes() {
    ui::CMsgBox one(ui::CMsgBox::kWarning, ui::CMsgBox::kOkButton, "Please select the directory to save the files recovered.", nullptr);
    one.show();
    save(one, "message-box-one-button.png");
    one.hide();
    ui::CMsgBox two(ui::CMsgBox::kWarning, ui::CMsgBox::kYesButton | ui::CMsgBox::kNoButton,
                    "Are you sure to go back to reload the data from Android phone?", nullptr);
    two.show();
    save(two, "message-box-two-buttons.png");
    two.hide();
    ui::CMsgBox info(ui::CMsgBox::kInformation, ui::CMsgBox::kYesButton | ui::CMsgBox::kNoButton,
                     "A new version of (2.1.0.36) is available. Click Yes to open download page.", nullptr);
    info.show();
    save(info, "message-box-new-version.png");
}

void about_box() {
    ui::CAboutBox about(nullptr);
    about.show();
    save(about, "about-box.png");
}

void progress_dialog() {
    test::Phone phone;
    test::Card card;
    phone.check_contacts(7);
    test::TempDir out("quen-shots");
    test::Gate gate;
    ui::RecoveryInputs in = test::recovery_inputs(phone, card, out.path(), std::string(QUEN_SOURCE_DIR) + "/resources/template.html");
    in.on_file = gate.hook();
    ui::DhRecoverProgressDialog dlg(std::move(in), nullptr);
    dlg.start();
    dlg.show();
    while (!gate.is_reached()) settle(20);
    settle(500);  // one refresh of the status
    save(dlg, "recovery-running.png");
    gate.release();
    while (!dlg.worker_done()) settle(20);
    save(dlg, "recovery-finished.png");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: ui-screenshots OUTPUT_DIR SKIN_DIR\n");
        return 2;
    }
    g_out = argv[1];
    QDir().mkpath(g_out);
    ui::install_program_fonts();
    ui::set_skin_folder(argv[2]);
    shots::Desktop desktop;
    desktop.show();
    settle();
    message_boxes();
    about_box();
    progress_dialog();
    return g_failures == 0 ? 0 : 1;
}
