// The storage scan in the real window over the sample card: the file-type
// folders it adds under the disk, Pause, Resume and Stop, Recover writing the
// reports and the files byte for byte, closing while paused, and an image
// opened from the menu when there is no phone, with what its scan skipped.
#include <QProgressBar>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "app/main_layout.h"
#include "app/notice_board.h"
#include "app_fixtures.h"
#include "cdr/scan/scan_job.h"
#include "ui/controls/img_button.h"
#include "ui/recovery/recover_progress_dialog.h"
#include "ui/recovery/recovery_walk.h"
#include "ui/tree/result_tree.h"
#include "ui_test_main.h"

namespace fs = std::filesystem;
using namespace quen;

namespace {

// The carver, slowed down so that a test can act while the scan runs.
cdr::ScanJob::CarveFn slow_carve() {
    return [](cdr::CdrNode& disk, const cdr::ProgressFn& progress) {
        return cdr::ScanJob::carve_whole_disk(disk, [&](uint64_t total, uint64_t current, const cdr::FoundFile* f) {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            return progress(total, current, f);
        });
    };
}

ui::TreeItem* disk_item(const app::CMainDlg& w) {
    ui::TreeItem* root = w.root_item();
    for (int i = 0; root && i < root->childCount(); ++i) {
        ui::TreeItem* item = ui::CTreeViewEx1::item_of(root->child(i));
        if (item->data.kind == ui::kItemDisk) return item;
    }
    return nullptr;
}

// "jpg (3)" -> {"jpg", 3} for every folder under the disk.
std::map<std::string, int> type_labels(ui::TreeItem* disk) {
    std::map<std::string, int> out;
    for (int i = 0; i < disk->childCount(); ++i) {
        const QString text = disk->child(i)->text(0);
        const int open = text.lastIndexOf(" (");
        out[text.left(open).toStdString()] = open < 0 ? -1 : text.mid(open + 2).chopped(1).toInt();
    }
    return out;
}

std::map<std::string, int> expected_types() {
    std::map<std::string, int> out;
    for (const auto& f : test::sample_card().expected) ++out[f.type];
    return out;
}

bool button_shown(const app::CMainDlg& w, int id) { return w.button(id)->isVisible() && w.label_of(id)->isVisible(); }

}  // namespace

class StorageScanTest : public QObject {
    Q_OBJECT
private slots:
    void image_opened_without_phone_is_scanned_into_type_folders() {
        test::SimPhone phone;  // no phone attached
        app::AppOptions options = test::window_options(phone);
        // The card has two bad stretches, skipped by the reader, and ends
        // early: the results page says how much was skipped and why it ended.
        options.carve = [](cdr::CdrNode& disk, const cdr::ProgressFn& progress) {
            cdr::CarveResult r = cdr::ScanJob::carve_whole_disk(disk, progress);
            r.unreadable = {{4096, 8192}, {1 << 20, 512}};
            r.status = cdr::CarveStatus::DeviceLost;
            r.message = "read error at 1048576: Input/output error\nmore";
            return r;
        };
        test::Window w(std::move(options));
        QTRY_COMPARE_WITH_TIMEOUT(w->load_state(), int(phone::DeviceState::NoDevice), 15000);
        w->set_image_chooser([](QWidget*) { return QString::fromStdString(test::sample_card().path); });
        w->run_menu_command(app::kMenuOpenImage);
        QCOMPARE(w->page(), int(app::kPageResults));
        QTRY_VERIFY(disk_item(*w) != nullptr);
        QCOMPARE(disk_item(*w)->text(0), QString("sample-card.img"));
        QVERIFY(test::wait_for_scan_end(*w));
        QCOMPARE(w->progress_bar()->value(), 100);
        QVERIFY(!w->button(app::kIdStop)->isEnabled() && !w->button(app::kIdPause)->isEnabled());
        // One folder per type found, "type (count)", as many as the card holds.
        QCOMPARE(type_labels(disk_item(*w)), expected_types());
        QVERIFY(expected_types().count("jpg"));
        const QString notes = w->notices()->full_text();
        QVERIFY2(notes.contains("sample-card.img: 8.5 KB in 2 places could not be read"), qPrintable(notes));
        QVERIFY2(notes.contains("sample-card.img stopped answering during the scan (read error at 1048576: Input/output error)"),
                 qPrintable(notes));
    }

    void pause_resume_and_stop_while_scanning() {
        test::SimPhone phone;
        app::AppOptions options = test::window_options(phone);
        options.images = {test::sample_card().path};
        options.carve = slow_carve();
        phone.ready();
        phone.rooted();
        test::put_sample_databases(phone);
        test::Window w(std::move(options));
        QTRY_VERIFY_WITH_TIMEOUT(disk_item(*w) && disk_item(*w)->childCount() > 0, 60000);
        QCOMPARE(w->scan_state(), int(cdr::kScanRunning));

        QTest::mouseClick(w->button(app::kIdPause), Qt::LeftButton);
        QCOMPARE(w->scan_state(), int(cdr::kScanPaused));
        QVERIFY(button_shown(*w, app::kIdResume) && !button_shown(*w, app::kIdPause));
        const int at = w->progress_bar()->value();
        const int folders = disk_item(*w)->childCount();
        QTest::qWait(300);  // nothing moves while paused
        QCOMPARE(w->progress_bar()->value(), at);
        QCOMPARE(disk_item(*w)->childCount(), folders);

        QTest::mouseClick(w->button(app::kIdResume), Qt::LeftButton);
        QCOMPARE(w->scan_state(), int(cdr::kScanRunning));
        QVERIFY(button_shown(*w, app::kIdPause) && !button_shown(*w, app::kIdResume));

        QTest::mouseClick(w->button(app::kIdStop), Qt::LeftButton);
        QCOMPARE(w->scan_state(), int(cdr::kScanFinished));
        QVERIFY(!w->button(app::kIdStop)->isEnabled() && !w->button(app::kIdPause)->isEnabled());
        QVERIFY(test::wait_for_scan_end(*w));
        QVERIFY(type_labels(disk_item(*w)) != expected_types());  // stopped before the card's end
    }

    void stop_while_the_disks_are_listed_ends_the_scan() {
        test::SimPhone phone;  // no phone attached
        app::AppOptions options = test::window_options(phone);
        options.carve = slow_carve();
        test::Window w(std::move(options));
        QTRY_COMPARE_WITH_TIMEOUT(w->load_state(), int(phone::DeviceState::NoDevice), 15000);
        w->set_image_chooser([](QWidget*) { return QString::fromStdString(test::sample_card().path); });
        w->run_menu_command(app::kMenuOpenImage);
        QTest::mouseClick(w->button(app::kIdStop), Qt::LeftButton);  // before the disks are listed
        QTRY_VERIFY(disk_item(*w) != nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(w->scan_state(), int(cdr::kScanFinished), 5000);
        QVERIFY(type_labels(disk_item(*w)) != expected_types());
    }

    void recover_writes_the_reports_and_the_files_byte_for_byte() {
        test::SimPhone phone;
        phone.ready();
        phone.rooted();
        test::put_sample_databases(phone);
        app::AppOptions options = test::window_options(phone);
        options.images = {test::sample_card().path};
        test::Window w(std::move(options));
        QVERIFY(test::wait_for_scan_end(*w));
        const auto scan = w->phone_scan();

        test::TempDir chosen("quen-app-out");
        w->set_folder_chooser([&](QWidget*) { return QString::fromStdString(chosen.path()); });
        bool closed_when_done = false;
        test::on_next_dialog([&](QWidget* widget) {
            auto* dlg = qobject_cast<ui::DhRecoverProgressDialog*>(widget);
            if (!dlg || !dlg->worker_done()) return false;
            closed_when_done = dlg->progress().failures().empty();
            QTest::mouseClick(dlg->button(ui::DhRecoverProgressDialog::kFinishButton), Qt::LeftButton);
            return true;
        });
        QTest::mouseClick(w->button(app::kIdRecover), Qt::LeftButton);
        QVERIFY(closed_when_done);

        // <chosen>/Retrivane<14 digits>
        std::vector<fs::path> outs;
        for (const auto& e : fs::directory_iterator(chosen.path())) outs.push_back(e.path());
        QCOMPARE(outs.size(), size_t{1});
        const std::string name = outs[0].filename().string();
        QCOMPARE(name.size(), size_t{9 + 14});
        QVERIFY(name.rfind("Retrivane", 0) == 0 && name.find_first_not_of("0123456789", 9) == std::string::npos);

        const fs::path contacts = outs[0] / ("Contacts (" + std::to_string(scan->contact_map.size()) + ")");
        const fs::path messages = outs[0] / ("Messages (" + std::to_string(scan->thread_map.size()) + ")");
        for (const char* f : {"Contacts.html", "Contacts.vcf", "Contacts.csv"}) QVERIFY2(fs::file_size(contacts / f) > 0, f);
        for (const char* f : {"Messages.html", "Messages.xml", "Messages.csv"}) QVERIFY2(fs::file_size(messages / f) > 0, f);

        // Every file of the card, in <disk folder>/<type>/<name>, as on the card.
        std::map<std::string, fs::path> written;
        for (const auto& e : fs::recursive_directory_iterator(outs[0]))
            if (e.is_regular_file() && e.path().parent_path().parent_path().filename().string().rfind("disk", 0) == 0)
                written[e.path().parent_path().filename().string() + "/" + e.path().filename().string()] = e.path();
        const auto& card = test::sample_card();
        QCOMPARE(written.size(), card.expected.size());
        for (const auto& f : card.expected) {
            const auto it = written.find(f.type + "/" + f.name);
            QVERIFY2(it != written.end(), f.name.c_str());
            QVERIFY2(test::read_file(it->second) == card.bytes.substr(f.offset, f.size), f.name.c_str());
        }
    }

    void closing_while_paused_ends_cleanly() {
        const int threads_before = test::thread_count();
        test::SimPhone phone;
        phone.ready();
        phone.rooted();
        test::put_sample_databases(phone);
        app::AppOptions options = test::window_options(phone);
        options.images = {test::sample_card().path};
        options.carve = slow_carve();
        test::Window w(std::move(options));
        QTRY_VERIFY_WITH_TIMEOUT(w->scan_state() == cdr::kScanRunning && disk_item(*w), 60000);
        QTest::mouseClick(w->button(app::kIdPause), Qt::LeftButton);
        QCOMPARE(w->scan_state(), int(cdr::kScanPaused));
        const std::string run_folder = w->work_folder().run_folder;
        QVERIFY(fs::exists(run_folder));

        QTest::mouseClick(w->button(app::kIdClose), Qt::LeftButton);
        QVERIFY(w.finished);
        QCOMPARE(w.exit_code, 0);
        QVERIFY(!w->isVisible());
        QVERIFY(w->storage_scans().empty());
        QVERIFY(!fs::exists(run_folder));  // the work files and the preview copies are gone
        QTRY_COMPARE(test::thread_count(), threads_before);
    }
};

QUEN_UI_TEST(StorageScanTest);
#include "storage_scan_test.moc"
