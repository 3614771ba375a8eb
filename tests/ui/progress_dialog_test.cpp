// The recovery progress dialog over the real report export and a real card
// image: what it counts, the folders it makes, Stop, and closing while files
// are being copied.
#include <QTest>

#include <filesystem>

#include "cdr/output/recovery_state.h"
#include "test_support/files.h"
#include "ui/controls/img_button.h"
#include "ui/recovery/recover_progress_dialog.h"
#include "ui_fixtures.h"
#include "ui_test_main.h"

namespace fs = std::filesystem;
using namespace quen;
using quen::ui::DhRecoverProgressDialog;
using quen::test::Card;
using quen::test::Gate;
using quen::test::Phone;

namespace {

ui::RecoveryInputs inputs(Phone& phone, Card& card, const std::string& out) {
    return test::recovery_inputs(phone, card, out, test::source_path("resources/template.html"));
}

// A dialog whose worker is held after its first found file.
std::unique_ptr<DhRecoverProgressDialog> start_held(Phone& phone, Card& card, const std::string& out, Gate& gate) {
    ui::RecoveryInputs in = inputs(phone, card, out);
    in.on_file = gate.hook();
    auto dlg = std::make_unique<DhRecoverProgressDialog>(std::move(in), nullptr);
    dlg->start();
    dlg->open();
    return dlg;
}

std::vector<fs::path> files_under(const fs::path& dir) {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) out.push_back(e.path());
    return out;
}

// The found files copied out: <out>/disk<time>/<type>/<name>.
std::vector<fs::path> found_files_under(const fs::path& dir) {
    std::vector<fs::path> out;
    for (const fs::path& p : files_under(dir))
        if (p.parent_path().parent_path().filename().string().rfind("disk", 0) == 0) out.push_back(p);
    return out;
}

}  // namespace

class ProgressDialogTest : public QObject {
    Q_OBJECT
private slots:
    void nothing_checked_counts_zero_and_finishes() {
        Phone phone;
        Card card;
        phone.check_contacts(0);
        phone.check_threads(false);
        card.check_all(false);
        test::TempDir out("quen-ui-out");
        DhRecoverProgressDialog dlg(inputs(phone, card, out.path()), nullptr);
        dlg.start();
        dlg.show();
        QTRY_VERIFY(dlg.worker_done());
        QCOMPARE(dlg.status_text(), QString::fromStdString("0/0 (" + card.tree->name + ")"));
        QCOMPARE(dlg.bar_value(), 0);
        QVERIFY(dlg.finished_shown());
        QCOMPARE(dlg.finished_text(), QString("Recovering finished."));
        QVERIFY(fs::is_empty(out.path()));  // a category with nothing checked makes no folder
        QCOMPARE(cdr::process_recovery_state().get(), int(cdr::kRecoveryFinished));
        QVERIFY(dlg.isVisible());  // stays until the user closes it
        QTest::mouseClick(dlg.button(DhRecoverProgressDialog::kFinishButton), Qt::LeftButton);
        QTRY_VERIFY(!dlg.isVisible());
    }

    void three_of_ten_contacts_go_into_contacts_3_and_files_come_back_whole() {
        Phone phone;
        Card card;
        phone.check_contacts(3);
        phone.check_threads(false);
        card.check_all(true);
        test::TempDir out("quen-ui-out");
        DhRecoverProgressDialog dlg(inputs(phone, card, out.path()), nullptr);
        dlg.start();
        QTRY_VERIFY(dlg.worker_done());
        QCOMPARE(dlg.status_text(), QString::fromStdString("7/7 (" + card.tree->name + ")"));
        QCOMPARE(dlg.bar_value(), 100);

        const std::string page = test::read_file(out / "Contacts (3)" / "Contacts.html");
        QVERIFY(!page.empty());
        int rows = 0;
        for (int i = 0; i < 10; ++i)
            if (page.find("\"" + phone.contacts[i]->name + "\"") != std::string::npos) {
                ++rows;
                QVERIFY(phone.contacts[i]->checked);
            }
        QCOMPARE(rows, 3);
        QVERIFY(!fs::exists(out / "Message (0)") && !fs::exists(out / "Messages (0)"));

        // The same files as the command line writes beside the page.
        QVERIFY(fs::exists(out / "Contacts (3)" / "Contacts.vcf"));
        QVERIFY(fs::exists(out / "Contacts (3)" / "Contacts.csv"));

        std::vector<fs::path> copied = found_files_under(out.path());
        QCOMPARE(copied.size(), size_t{4});
        for (const auto& type : card.tree->children)
            for (const auto& item : type->items) {
                const fs::path want = fs::path("disk") / type->type_name() / item.name;
                auto it = std::find_if(copied.begin(), copied.end(), [&](const fs::path& p) {
                    return p.filename() == item.name && p.parent_path().filename() == type->type_name();
                });
                QVERIFY2(it != copied.end(), want.c_str());
                QVERIFY(test::read_file(*it) == card.slice(item.file->offset, item.size));
            }
    }

    void what_could_not_be_saved_is_not_called_finished_alone() {
        Phone phone;
        Card card;
        phone.check_contacts(3);
        phone.check_threads(false);
        card.check_all(false);
        test::TempDir out("quen-ui-out");
        // An output "folder" that is a file: nothing can be made inside it.
        const std::string blocked = out.path() + "/not-a-folder";
        test::write_file(blocked, "x");
        DhRecoverProgressDialog dlg(inputs(phone, card, blocked), nullptr);
        dlg.start();
        QTRY_VERIFY(dlg.worker_done());
        QCOMPARE(dlg.progress().done.load(), uint64_t{0});  // nothing saved is counted
        QCOMPARE(dlg.progress().failures().size(), size_t{1});
        QVERIFY(dlg.finished_text().contains("could not be saved"));
    }

    void stop_during_the_copy_ends_before_the_next_file() {
        Phone phone;
        Card card;
        phone.check_contacts(0);
        phone.check_threads(false);
        card.check_all(true);
        test::TempDir out("quen-ui-out");
        Gate gate;
        auto held = start_held(phone, card, out.path(), gate);
        DhRecoverProgressDialog& dlg = *held;
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTRY_VERIFY(gate.is_reached());
        QTest::mouseClick(dlg.button(DhRecoverProgressDialog::kStopButton), Qt::LeftButton);
        QVERIFY(!dlg.button(DhRecoverProgressDialog::kStopButton)->isEnabled());
        gate.release();
        QTRY_VERIFY(dlg.worker_done());
        QCOMPARE(files_under(out.path()).size(), size_t{1});
        QCOMPARE(dlg.status_text(), QString::fromStdString("1/4 (" + card.tree->name + ")"));
        QVERIFY(dlg.finished_shown());
        QVERIFY(dlg.isVisible());
    }

    void closing_while_copying_stops_and_closes_when_the_worker_ends() {
        Phone phone;
        Card card;
        phone.check_contacts(10);
        phone.check_threads(true);
        card.check_all(true);
        test::TempDir out("quen-ui-out");
        Gate gate;
        auto held = start_held(phone, card, out.path(), gate);
        DhRecoverProgressDialog& dlg = *held;
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTRY_VERIFY(gate.is_reached());
        QTest::mouseClick(dlg.button(DhRecoverProgressDialog::kCloseButton), Qt::LeftButton);
        QCOMPARE(cdr::process_recovery_state().get(), int(cdr::kRecoveryStopRequested));
        for (int id : {DhRecoverProgressDialog::kCloseButton, DhRecoverProgressDialog::kStopButton, DhRecoverProgressDialog::kFinishButton})
            QVERIFY(!dlg.button(id)->isEnabled());
        QTest::qWait(50);
        QVERIFY(dlg.isVisible());  // the worker is still copying
        gate.release();
        QTRY_VERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), 0);
        QVERIFY(fs::exists(out / "Contacts (10)" / "Contacts.html"));
        QVERIFY(fs::exists(out / "Messages (2)" / "Messages.html"));
        QVERIFY(fs::exists(out / "Messages (2)" / "Messages.xml"));
        QCOMPARE(found_files_under(out.path()).size(), size_t{1});
        QCOMPARE(cdr::process_recovery_state().get(), int(cdr::kRecoveryFinished));
    }
};

QUEN_UI_TEST(ProgressDialogTest);
#include "progress_dialog_test.moc"
