#include "app_fixtures.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <dirent.h>

#include <filesystem>

#include "cdr/scan/scan_job.h"
#include "sample_phone.h"
#include "ui/controls/img_button.h"
#include "ui/dialogs/msg_box.h"
#include "ui_test_main.h"

namespace fs = std::filesystem;

namespace quen::test {

const SampleCard& sample_card() {
    static TempDir dir("quen-app-card");
    static const SampleCard card = [] {
        SampleCard c;
        sample::Card made;
        std::string error;
        if (!sample::make_sample_card(64 * sample::kMiB, 1, made, error)) qFatal("sample card: %s", error.c_str());
        c.path = dir.path() + "/sample-card.img";
        c.bytes.assign(reinterpret_cast<const char*>(made.image.data()), made.image.size());
        write_file(c.path, c.bytes);
        c.expected = std::move(made.expected);
        return c;
    }();
    return card;
}

void put_sample_databases(SimPhone& phone) {
    const std::string made = phone.scratch_dir() + "/sample";
    sample_phone::Options options;
    std::string error;
    if (!sample_phone::make_sample_phone(made, options, error)) qFatal("sample phone: %s", error.c_str());
    phone.put("/data/data/com.android.providers.contacts/databases/contacts2.db", read_file(made + "/contacts2.db"));
    phone.put("/data/data/com.android.providers.telephony/databases/mmssms.db", read_file(made + "/mmssms.db"));
}

app::AppOptions window_options(const SimPhone& phone) {
    app::AppOptions o;
    o.adb = kPhoneSimProgram;
    o.temp_folder = phone.temp();
    o.system_disks = false;
    o.automatic_update = false;
    o.template_path = source_path("resources/template.html");
    return o;
}

Window::Window(app::AppOptions options) : dlg(std::make_unique<app::CMainDlg>(std::move(options))) {
    QObject::connect(dlg.get(), &app::CMainDlg::finished, [this](int code) {
        finished = true;
        exit_code = code;
    });
    dlg->show();
    if (!QTest::qWaitForWindowExposed(dlg.get())) qWarning("the window was not exposed");
}

void on_next_dialog(const std::function<bool(QWidget*)>& act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && act(w)) {
                timer->stop();
                timer->deleteLater();
                return;
            }
    });
    timer->start();
}

void answer_next_box(int button) {
    on_next_dialog([button](QWidget* w) {
        auto* box = qobject_cast<ui::CMsgBox*>(w);
        if (!box || !box->button(button)) return false;
        QTest::mouseClick(box->button(button), Qt::LeftButton);
        return true;
    });
}

int thread_count() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/task")) {
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') ++n;
        ::closedir(d);
    }
    return n;
}

bool wait_for_scan_end(app::CMainDlg& dlg, int timeout_ms) {
    return QTest::qWaitFor([&] { return dlg.scan_state() == cdr::kScanFinished && !dlg.storage_scans().empty() &&
                                        dlg.storage_scans().back()->finished; },
                           timeout_ms);
}

}  // namespace quen::test
