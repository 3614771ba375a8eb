// The connect page of the real window, on the phone simulator: the loading
// animation while the listing runs, then each state a phone can end in, with
// Refresh enabled only once the listing is over; the copy's progress while
// the phone is read, and a close in the middle of it.
#include <QTest>

#include <filesystem>

#include "app/main_layout.h"
#include "app_fixtures.h"
#include "phone/device_state.h"
#include "ui/controls/hyperlink.h"
#include "ui/controls/img_button.h"
#include "ui/tree/result_tree.h"
#include "ui_test_main.h"

namespace fs = std::filesystem;
using namespace quen;
using phone::DeviceState;

namespace {

int state_of(DeviceState s) { return static_cast<int>(s); }

}  // namespace

class ConnectPageTest : public QObject {
    Q_OBJECT
private slots:
    void loading_then_each_state_with_refresh() {
        test::SimPhone phone;
        phone.set("delay-devices", "700");  // the listing takes a while: the page shows Loading
        test::Window w(test::window_options(phone));
        ui::CImgButton* refresh = w->button(app::kIdRefresh);
        QCOMPARE(w->page(), int(app::kPageConnect));
        QCOMPARE(w->load_state(), phone::kLoading);
        QVERIFY(!refresh->isEnabled());
        QVERIFY(w->help_link()->isVisible());
        QTRY_VERIFY(w->animating());

        QTRY_COMPARE_WITH_TIMEOUT(w->load_state(), state_of(DeviceState::NoDevice), 15000);
        QVERIFY(refresh->isEnabled());
        QVERIFY(!w->animating());
        QCOMPARE(w->page(), int(app::kPageConnect));

        // Each listing the phone may give, after Refresh.
        const std::pair<std::string, DeviceState> listings[] = {
            {"unauthorized", DeviceState::NotAuthorized},
            {"no permissions (user in plugdev group; are your udev rules wrong?); see [http://developer.android.com/tools/device.html]",
             DeviceState::NoPermission},
            {"offline", DeviceState::Offline},
        };
        for (const auto& [column, state] : listings) {
            phone.listing("List of devices attached\nR58M20ABCDE\t" + column + "\n\n");
            QTest::mouseClick(refresh, Qt::LeftButton);
            QCOMPARE(w->load_state(), phone::kLoading);
            QVERIFY(!refresh->isEnabled());
            QTRY_COMPARE_WITH_TIMEOUT(w->load_state(), state_of(state), 15000);
            QVERIFY(refresh->isEnabled());
            QCOMPARE(w->page(), int(app::kPageConnect));
            QVERIFY(!w->tree()->isVisible());
        }
    }

    void copy_progress_shows_while_loading_and_close_ends_the_copy() {
        const int threads_before = test::thread_count();
        test::SimPhone phone;
        phone.ready();
        phone.rooted();
        test::put_sample_databases(phone);
        phone.set("pull-rate", "100000");  // a slow link: each database takes seconds
        test::Window w(test::window_options(phone));
        QTRY_VERIFY_WITH_TIMEOUT(w->transfer_status().contains("%"), 20000);
        QVERIFY(w->transfer_status().startsWith("Copying "));
        QCOMPARE(w->page(), int(app::kPageConnect));
        QVERIFY(w->animating());
        const std::string run_folder = w->work_folder().run_folder;
        QVERIFY(fs::exists(run_folder));

        // Closed part way through a copy: the copy is cut, then the work
        // folder goes; nothing of the phone's is left on this computer.
        QTest::mouseClick(w->button(app::kIdClose), Qt::LeftButton);
        QVERIFY(w.finished);
        QVERIFY(!fs::exists(run_folder));
        QTRY_COMPARE(test::thread_count(), threads_before);
    }

    void the_phone_asked_for_is_read_among_several() {
        test::SimPhone phone;
        phone.listing("List of devices attached\nR58M20ABCDE\tunauthorized\nemulator-5554\tdevice\n\n");
        phone.rooted();
        app::AppOptions options = test::window_options(phone);
        options.serial = "emulator-5554";
        test::Window w(std::move(options));
        QTRY_COMPARE_WITH_TIMEOUT(w->page(), int(app::kPageResults), 15000);
        QCOMPARE(w->load_state(), state_of(DeviceState::Ready));
        QTRY_VERIFY_WITH_TIMEOUT(w->button(app::kIdBack)->isVisible(), 30000);
        QVERIFY(w->root_item()->toolTip(0).contains("serial emulator-5554"));
    }

    void no_adb_helper_is_its_own_state() {
        test::SimPhone phone;
        app::AppOptions options = test::window_options(phone);
        options.adb = phone.scratch_dir() + "/no such helper";
        test::Window w(std::move(options));
        QTRY_COMPARE_WITH_TIMEOUT(w->load_state(), state_of(DeviceState::NoHelper), 15000);
        QVERIFY(w->button(app::kIdRefresh)->isEnabled());
    }
};

QUEN_UI_TEST(ConnectPageTest);
#include "connect_page_test.moc"
