// The checked list: its check box clicks and the check-all box, loading a
// hundred rows at a time, sorting, the fixed header, keys, and how deleted
// records are drawn.
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include "recording_sink.h"
#include "ui/list/check_header.h"
#include "ui/list/check_list.h"
#include "ui_test_main.h"

using namespace quen;
using quen::ui::CListViewCheck1;

namespace {

struct Contacts {
    records::ContactMap map;
    records::ContactList list;
    explicit Contacts(int n, int deleted = 0) {
        for (int i = 0; i < n; ++i) {
            records::ContactRecord& c = records::find_or_create_contact(map, -(i + 1), i < deleted);
            c.name = "Name " + std::to_string(i);
            c.phone = std::to_string(5550000 + i);
        }
        list = records::build_contact_list(map);
    }
};

struct List {
    QWidget window;
    CListViewCheck1* list = new CListViewCheck1(&window);
    test::RecordingSink host;
    List() {
        window.resize(560, 560);
        list->setGeometry(0, 0, 517, 508);
        list->set_row_height(30);
        list->set_host(&host);
        window.show();
    }
    void wheel_down() {
        QWheelEvent e(QPointF(100, 100), list->viewport()->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list->viewport(), &e);
    }
    void scroll_to_end_and_wheel() {
        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        wheel_down();
    }
    std::vector<QString> column(int c) const {
        std::vector<QString> v;
        for (int i = 0; i < list->row_count(); ++i) v.push_back(list->cell(i, c));
        return v;
    }
};

}  // namespace

class CheckListTest : public QObject {
    Q_OBJECT
private slots:
    void a_press_on_a_check_box_toggles_without_moving_the_selection() {
        Contacts c(20);
        List l;
        l.list->show_category(ui::RowSource::contacts(&c.list), true);
        QVERIFY(QTest::qWaitForWindowExposed(&l.window));
        l.list->selectRow(3);
        QTest::mouseClick(l.list->viewport(), Qt::LeftButton, {}, l.list->check_rect(5).center());
        QCOMPARE(l.list->currentIndex().row(), 3);
        QVERIFY(!l.list->row_checked(5));
        QCOMPARE(l.host.got.size(), size_t{1});
        QCOMPARE(l.host.got[0].id, WM_LIST_ROW_CHECKED);
        QCOMPARE(l.host.got[0].wparam, WParam{5});
        QCOMPARE(l.host.got[0].lparam, LParam{0});
        QVERIFY(!l.list->check_all());
        // Anywhere else on a row, the press selects it.
        QTest::mouseClick(l.list->viewport(), Qt::LeftButton, {}, l.list->visualRect(l.list->model()->index(7, 2)).center());
        QCOMPARE(l.list->currentIndex().row(), 7);
        QVERIFY(l.list->row_checked(7));
    }

    void check_all_follows_the_rows_and_sets_them_all() {
        Contacts c(12);
        List l;
        l.list->show_category(ui::RowSource::contacts(&c.list), true);
        l.list->toggle_row(2);
        QVERIFY(!l.list->check_all());
        l.list->toggle_row(2);
        QVERIFY(l.list->check_all());
        l.list->toggle_row(0);
        l.host.got.clear();

        // The check-all box, unchecked now, is clicked: every row checked, each reported.
        QVERIFY(QTest::qWaitForWindowExposed(&l.window));
        QTest::mouseClick(l.list->check_header()->check_all_box(), Qt::LeftButton);
        QVERIFY(l.list->check_all());
        QCOMPARE(l.host.got.size(), size_t{12});
        for (int i = 0; i < 12; ++i) {
            QVERIFY(l.list->row_checked(i));
            QCOMPARE(l.host.got[static_cast<size_t>(i)].wparam, WParam(i));
            QCOMPARE(l.host.got[static_cast<size_t>(i)].lparam, LParam{1});
        }
        // Ctrl+A checks all; Space toggles the current row.
        l.list->setFocus();
        l.list->selectRow(4);
        QTest::keyClick(l.list, Qt::Key_Space);
        QVERIFY(!l.list->row_checked(4) && !l.list->check_all());
        QTest::keyClick(l.list, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(l.list->row_checked(4) && l.list->check_all());
    }

    void rows_come_a_hundred_at_a_time() {
        Contacts c(250);
        List l;
        l.list->show_category(ui::RowSource::contacts(&c.list), true);
        QVERIFY(QTest::qWaitForWindowExposed(&l.window));
        QCOMPARE(l.list->row_count(), 100);
        QCOMPARE(l.list->currentIndex().row(), 0);
        l.wheel_down();  // not at the end yet: an ordinary scroll
        QCOMPARE(l.list->row_count(), 100);
        l.scroll_to_end_and_wheel();
        QCOMPARE(l.list->row_count(), 200);
        l.scroll_to_end_and_wheel();
        QCOMPARE(l.list->row_count(), 250);
        l.scroll_to_end_and_wheel();
        QCOMPARE(l.list->row_count(), 250);
        QCOMPARE(l.list->cell(249, 0), QString("250"));
        QCOMPARE(l.list->cell(100, 1), QString::fromStdString(c.list[100]->name));
        // Down on the last row asks for more too.
        Contacts more(150);
        l.list->show_category(ui::RowSource::contacts(&more.list), true);
        l.list->setFocus();
        l.list->setCurrentIndex(l.list->model()->index(99, 0));
        QTest::keyClick(l.list, Qt::Key_Down);
        QCOMPARE(l.list->row_count(), 150);
        QCOMPARE(l.list->currentIndex().row(), 100);
    }

    void sorting_is_by_text_and_twice_reverses() {
        Contacts c(100);
        List l;
        l.list->show_category(ui::RowSource::contacts(&c.list), true);
        l.list->sort_by(0);
        auto no = l.column(0);
        QCOMPARE(std::vector<QString>(no.begin(), no.begin() + 4), (std::vector<QString>{"1", "10", "100", "11"}));
        QCOMPARE(std::find(no.begin(), no.end(), QString("2")) - no.begin(), 12);  // 1, 10, 100, 11-19, 2
        l.list->sort_by(0);
        auto back = l.column(0);
        QCOMPARE(back, std::vector<QString>(no.rbegin(), no.rend()));
        QVERIFY(!l.list->sort_ascending());
        // Another column sorts ascending again, and the records follow their rows.
        l.list->sort_by(1);
        QVERIFY(l.list->sort_ascending());
        for (int i = 0; i < l.list->row_count(); ++i)
            QCOMPARE(l.list->cell(i, 1), QString::fromStdString(static_cast<records::ContactRecord*>(l.list->row(i).record)->name));
    }

    void column_dividers_do_not_move() {
        Contacts c(5);
        List l;
        l.list->show_category(ui::RowSource::contacts(&c.list), true);
        QVERIFY(QTest::qWaitForWindowExposed(&l.window));
        QHeaderView* h = l.list->horizontalHeader();
        QCOMPARE(h->height(), 30);
        const int divider = h->sectionViewportPosition(1);
        QTest::mousePress(h->viewport(), Qt::LeftButton, {}, QPoint(divider, 15));
        QMouseEvent move(QEvent::MouseMove, QPointF(divider + 60, 15), h->viewport()->mapToGlobal(QPointF(divider + 60, 15)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(h->viewport(), &move);
        QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, QPoint(divider + 60, 15));
        QCOMPARE(h->sectionSize(0), 140);
        QCOMPARE(h->sectionSize(1), 100);
    }

    void deleted_records_are_red_with_their_mark_found_files_never() {
        Contacts c(4, 2);  // two deleted, listed first
        List l;
        l.list->show_category(ui::RowSource::contacts(&c.list), true);
        QVERIFY(QTest::qWaitForWindowExposed(&l.window));
        const QImage shot = l.list->viewport()->grab().toImage();
        auto red_in_row = [&](int row) {
            const QRect r = l.list->visualRect(l.list->model()->index(row, 1)).adjusted(0, 0, 300, 0);
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= std::min(r.right(), shot.width() - 1); ++x) {
                    const QColor px = shot.pixelColor(x, y);
                    n += px.red() > 200 && px.green() < 90 && px.blue() < 90;
                }
            return n;
        };
        QVERIFY(c.list[0]->deleted && c.list[1]->deleted && !c.list[2]->deleted);
        QVERIFY(red_in_row(0) > 20);
        QVERIFY(red_in_row(1) > 20);
        QCOMPARE(red_in_row(2), 0);
        QCOMPARE(red_in_row(3), 0);
    }
};

QUEN_UI_TEST(CheckListTest);
#include "check_list_test.moc"
