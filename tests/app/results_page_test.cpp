// The results page of the real window on the sample phone (simulated): the
// eight load steps, the counted labels, everything checked, Back answered No
// and Yes, and a phone without root (its live records only).
#include <QProgressBar>
#include <QTest>

#include <algorithm>

#include "app/main_layout.h"
#include "app/notice_board.h"
#include "app_fixtures.h"
#include "ui/controls/img_button.h"
#include "ui/dialogs/msg_box.h"
#include "ui/list/check_list.h"
#include "ui/tree/result_tree.h"
#include "ui_test_main.h"

using namespace quen;

namespace {

bool loaded(const app::CMainDlg& w) { return w.button(app::kIdBack)->isVisible(); }

int devices_calls(const test::SimPhone& phone) {
    const auto calls = phone.calls();
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const auto& c) { return !c.empty() && c[0] == "devices"; }));
}

}  // namespace

class ResultsPageTest : public QObject {
    Q_OBJECT
private slots:
    void ready_phone_fills_the_results_page_all_checked() {
        test::SimPhone phone;
        phone.ready();
        phone.rooted();
        test::put_sample_databases(phone);
        test::Window w(test::window_options(phone));
        std::vector<int> positions;
        QObject::connect(w->progress_bar(), &QProgressBar::valueChanged, [&](int v) { positions.push_back(v); });
        QTRY_COMPARE_WITH_TIMEOUT(w->page(), int(app::kPageResults), 20000);
        QVERIFY(w->tree()->isVisible());
        QVERIFY(!w->button(app::kIdRefresh)->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(loaded(*w), 60000);

        // The eight steps in order, then 1 for the card's scan.
        const std::vector<int> steps{12, 25, 37, 50, 62, 75, 87, 100};
        auto it = std::search(positions.begin(), positions.end(), steps.begin(), steps.end());
        QVERIFY2(it != positions.end(), "the eight load steps");
        QVERIFY(std::find(it + 8, positions.end(), 1) != positions.end());

        const auto scan = w->phone_scan();
        QVERIFY(scan->contact_map.size() > 100);  // more than one page of the list
        QVERIFY(!scan->thread_map.empty());
        QCOMPARE(w->contacts_item()->text(0), QString("Contacts (%1)").arg(scan->contact_map.size()));
        QCOMPARE(w->messages_item()->text(0), QString("Message (%1)").arg(scan->thread_map.size()));
        for (int id : {app::kIdBack, app::kIdRecover, app::kIdPause, app::kIdStop}) QVERIFY(w->label_of(id)->isVisible());
        QVERIFY(!w->button(app::kIdResume)->isVisible());

        // Everything checked: records, tree items, the list and its box.
        QVERIFY(std::any_of(scan->contact_map.begin(), scan->contact_map.end(), [](const auto& c) { return c.second.deleted; }));
        QVERIFY(w->root_item()->toolTip(0).contains("Android"));
        for (const auto& [key, c] : scan->contact_map) QVERIFY(c.checked);
        for (const auto& [key, t] : scan->thread_map) QVERIFY(t.checked);
        for (ui::TreeItem* item : {w->root_item(), w->contacts_item(), w->messages_item()}) QVERIFY(item->checked);
        QCOMPARE(w->list()->mode(), int(ui::kModeContacts));
        QCOMPARE(w->list()->row_count(), 100);
        QVERIFY(w->list()->check_all());
        for (int i = 0; i < w->list()->row_count(); ++i) QVERIFY(w->list()->row_checked(i));

        // Unchecking a row unchecks its record and the categories above it;
        // checking it again checks them again, every record being checked.
        w->list()->toggle_row(3);
        auto* record = static_cast<records::ContactRecord*>(w->list()->row(3).record);
        QVERIFY(!record->checked);
        QVERIFY(!w->contacts_item()->checked && !w->root_item()->checked);
        w->list()->toggle_row(3);
        QVERIFY(record->checked && w->contacts_item()->checked);
    }

    void back_answered_no_keeps_everything_yes_reloads() {
        test::SimPhone phone;
        phone.ready();
        phone.rooted();
        test::put_sample_databases(phone);
        test::Window w(test::window_options(phone));
        QTRY_VERIFY_WITH_TIMEOUT(loaded(*w), 60000);
        const auto scan = w->phone_scan();
        ui::TreeItem* contacts = w->contacts_item();
        const int listings = devices_calls(phone);

        test::answer_next_box(ui::CMsgBox::kNo);
        QTest::mouseClick(w->button(app::kIdBack), Qt::LeftButton);
        QCOMPARE(w->page(), int(app::kPageResults));
        QCOMPARE(w->phone_scan(), scan);
        QCOMPARE(w->contacts_item(), contacts);
        QVERIFY(w->list()->isVisible());
        QCOMPARE(devices_calls(phone), listings);

        phone.set("delay-devices", "500");  // the reload shows the animation a while
        test::answer_next_box(ui::CMsgBox::kYes);
        QTest::mouseClick(w->button(app::kIdBack), Qt::LeftButton);
        QCOMPARE(w->page(), int(app::kPageConnect));
        QCOMPARE(w->load_state(), phone::kLoading);
        QVERIFY(!w->tree()->isVisible() && !w->list()->isVisible());
        QVERIFY(!w->button(app::kIdBack)->isVisible() && !w->button(app::kIdRecover)->isVisible());
        QVERIFY(w->button(app::kIdRefresh)->isVisible() && !w->button(app::kIdRefresh)->isEnabled());
        QTRY_VERIFY(w->animating());
        QVERIFY(w->storage_scans().empty());
        QTRY_COMPARE_WITH_TIMEOUT(devices_calls(phone), listings + 1, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(loaded(*w), 60000);
        QVERIFY(w->phone_scan() != scan);
        QCOMPARE(w->contacts_item()->text(0), QString("Contacts (%1)").arg(scan->contact_map.size()));
    }

    void phone_without_root_shows_its_live_records_and_says_why_no_deleted_ones() {
        test::SimPhone phone;
        phone.ready();
        test::put_sample_databases(phone);  // there, but open to root only
        test::Window w(test::window_options(phone));
        QTRY_VERIFY_WITH_TIMEOUT(loaded(*w), 60000);
        const auto scan = w->phone_scan();
        QVERIFY(!scan->contact_map.empty() && !scan->thread_map.empty());
        QCOMPARE(w->contacts_item()->text(0), QString("Contacts (%1)").arg(scan->contact_map.size()));
        QCOMPARE(w->messages_item()->text(0), QString("Message (%1)").arg(scan->thread_map.size()));
        for (const auto& [key, c] : scan->contact_map) QVERIFY(!c.deleted);
        for (const auto& [key, t] : scan->thread_map) QVERIFY(!t.deleted);
        QVERIFY(w->list()->row_count() > 0 && w->list()->row_checked(0));
        QVERIFY(w->notices()->isVisible());
        QVERIFY(w->notices()->full_text().contains("no root"));
        QVERIFY(w->notices()->full_text().contains("deleted ones need root"));
        QVERIFY(w->root_item()->toolTip(0).contains("root: none"));
    }
};

QUEN_UI_TEST(ResultsPageTest);
#include "results_page_test.moc"
