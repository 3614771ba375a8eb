// Renders the main window of `quenfora --demo` on a real display
// (scripts/screenshots runs it under Xvfb): the connect page in each state and
// the results page with a contact, a conversation and a found picture, saved
// as PNG files with a margin of desktop around the window.
//   app-screenshots OUTPUT_DIR SKIN_DIR PHONE_SIMULATOR
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "../../ui/screenshots/screenshot_desk.h"
#include "app/demo/demo_session.h"
#include "app/main_dlg.h"
#include "app/main_layout.h"
#include "app/notice_board.h"
#include "cdr/scan/scan_job.h"
#include "ui/controls/img_button.h"
#include "ui/dialogs/msg_box.h"
#include "ui/list/check_list.h"
#include "ui/preview/image_board.h"
#include "ui/skin/font_setup.h"
#include "ui/skin/skin_folder.h"
#include "ui/tree/result_tree.h"

using namespace quen;

namespace {

QString g_out;
int g_failures = 0;

using shots::settle;

bool wait_for(const std::function<bool()>& ready, int ms = 60000) {
    if (QTest::qWaitFor(ready, ms)) return true;
    std::fprintf(stderr, "app-screenshots: a state did not come\n");
    ++g_failures;
    return false;
}

void save(QWidget& w, const QString& name) {
    if (!shots::save_shot(w, g_out, name, "app-screenshots")) ++g_failures;
}

struct Shot {
    std::unique_ptr<app::CMainDlg> window;
    explicit Shot(app::AppOptions options) : window(std::make_unique<app::CMainDlg>(std::move(options))) {
        window->move(60, 40);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) std::fprintf(stderr, "app-screenshots: the window did not show\n");
    }
    ~Shot() { window->close_program(0); }
};

app::AppOptions demo_options(const app::DemoSession& demo) {
    app::AppOptions o;
    o.adb = demo.helper();
    o.images = {demo.card_image()};
    o.system_disks = false;
    o.automatic_update = false;
    return o;
}

void connect_pages(const app::DemoSession& demo) {
    const std::string phone = demo.phone_folder();
    {
        // The listing takes its time: the animation runs.
        std::FILE* f = std::fopen((phone + "/delay-devices").c_str(), "w");
        if (f) std::fputs("4000", f), std::fclose(f);
        Shot s(demo_options(demo));
        settle(900);
        save(*s.window, "connect-loading.png");
        std::filesystem::remove(phone + "/delay-devices");
    }
    {
        // A slow link: the copy's progress shows under the animation.
        std::FILE* f = std::fopen((phone + "/pull-rate").c_str(), "w");
        if (f) std::fputs("60000", f), std::fclose(f);
        Shot s(demo_options(demo));
        wait_for([&] { return s.window->transfer_status().contains("%"); });
        settle(1200);
        save(*s.window, "connect-copying.png");
        std::filesystem::remove(phone + "/pull-rate");
    }
    const std::pair<std::string, const char*> states[] = {
        {"List of devices attached\n\n", "connect-no-phone.png"},
        {app::one_phone_listing("unauthorized"), "connect-not-authorized.png"},
        {app::one_phone_listing("no permissions (user in plugdev group; are your udev rules wrong?); see "
                                "[http://developer.android.com/tools/device.html]"),
         "connect-no-permission.png"},
        {app::one_phone_listing("offline"), "connect-offline.png"},
    };
    for (const auto& [listing, name] : states) {
        demo.set_listing(listing);
        Shot s(demo_options(demo));
        wait_for([&] { return s.window->load_state() != phone::kLoading; });
        save(*s.window, name);
    }
    app::AppOptions no_helper = demo_options(demo);
    no_helper.adb = demo.folder() + "/no-adb-here";
    Shot s(no_helper);
    wait_for([&] { return s.window->load_state() != phone::kLoading; });
    save(*s.window, "connect-no-adb.png");
    demo.set_listing(app::one_phone_listing("device"));
}

ui::TreeItem* child_named(ui::TreeItem* parent, const QString& prefix) {
    for (int i = 0; parent && i < parent->childCount(); ++i)
        if (parent->child(i)->text(0).startsWith(prefix)) return ui::CTreeViewEx1::item_of(parent->child(i));
    return nullptr;
}

void results_pages(const app::DemoSession& demo) {
    Shot s(demo_options(demo));
    app::CMainDlg& w = *s.window;
    wait_for([&] { return w.scan_state() == cdr::kScanFinished && !w.storage_scans().empty() && w.storage_scans().back()->finished; });
    // README's first picture: a named contact with several fields.
    for (int i = 0; i < w.list()->row_count(); ++i)
        if (w.list()->cell(i, 4).contains('@') && !w.list()->cell(i, 1).isEmpty() && !w.list()->cell(i, 2).isEmpty()) {
            w.list()->selectRow(i);
            emit w.list()->row_chosen(i);
            break;
        }
    save(w, "results-contacts.png");

    w.tree()->setCurrentItem(w.messages_item());
    // The longest conversation that has a name.
    int best = -1;
    size_t most = 0;
    for (int i = 0; i < w.list()->row_count(); ++i) {
        const auto* t = static_cast<const records::ThreadRecord*>(w.list()->row(i).record);
        if (!t->name.empty() && t->messages.size() > most) {
            most = t->messages.size();
            best = i;
        }
    }
    if (best >= 0) {
        w.list()->selectRow(best);
        emit w.list()->row_chosen(best);
    }
    save(w, "results-conversation.png");

    ui::TreeItem* disk = child_named(w.root_item(), "sample-card");
    ui::TreeItem* jpg = child_named(disk, "jpg");
    if (jpg) {
        w.tree()->setCurrentItem(jpg);
        w.list()->selectRow(0);
        emit w.list()->row_chosen(0);
        wait_for([&] { return w.image_panel()->has_image(); }, 10000);
    }
    save(w, "results-picture.png");
}

// A phone without root, an image that cannot be opened and a card with bad
// sectors (played by the carver reporting two unreadable stretches): the notes.
void results_notes(const app::DemoSession& demo) {
    demo.set_rooted(false);
    app::AppOptions o = demo_options(demo);
    o.images.push_back(demo.folder() + "/old-card.img");
    o.carve = [](cdr::CdrNode& disk, const cdr::ProgressFn& progress) {
        cdr::CarveResult r = cdr::ScanJob::carve_whole_disk(disk, progress);
        r.unreadable = {{7 << 20, 64 << 10}, {19 << 20, 4 << 10}};
        return r;
    };
    Shot s(o);
    wait_for([&] { return s.window->scan_state() == cdr::kScanFinished && s.window->storage_scans().back()->finished; });
    save(*s.window, "results-notes.png");

    // Every note whole, as a click on them shows it.
    bool boxed = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<ui::CMsgBox*>(top);
            if (!box || !box->isVisible() || boxed) continue;
            boxed = true;
            poll.stop();
            save(*s.window, "results-notes-details.png");
            QTest::mouseClick(box->button(ui::CMsgBox::kOk), Qt::LeftButton);
            return;
        }
    });
    poll.start();
    emit s.window->notices()->details_asked();
    if (!boxed) {
        std::fprintf(stderr, "app-screenshots: the notes' box did not show\n");
        ++g_failures;
    }
    demo.set_rooted(true);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: app-screenshots OUTPUT_DIR SKIN_DIR PHONE_SIMULATOR\n");
        return 2;
    }
    g_out = argv[1];
    QDir().mkpath(g_out);
    ui::install_program_fonts();
    ui::set_skin_folder(argv[2]);
    std::string error;
    auto demo = app::DemoSession::create({}, error, argv[3]);
    if (!demo) {
        std::fprintf(stderr, "app-screenshots: %s\n", error.c_str());
        return 1;
    }
    demo->activate();
    shots::Desktop desktop;
    desktop.show();
    settle();
    connect_pages(*demo);
    results_pages(*demo);
    results_notes(*demo);
    return g_failures == 0 ? 0 : 1;
}
