// The result tree's check rules and clicks.
#include <QTest>

#include "recording_sink.h"
#include "ui/recovery/recovery_walk.h"
#include "ui/tree/result_tree.h"
#include "ui_test_main.h"

using namespace quen;
using quen::ui::CTreeViewEx1;
using quen::ui::TreeItem;

namespace {

// android phone
//   Contacts, Message, card.img
//                        jpg, png, gif
struct Tree {
    QWidget window;
    CTreeViewEx1* tree = new CTreeViewEx1(&window);
    test::RecordingSink host;
    TreeItem *root, *contacts, *messages, *disk, *jpg, *png, *gif;

    Tree() {
        window.resize(240, 400);
        tree->setGeometry(0, 0, 221, 400);
        tree->set_host(&host);
        root = tree->insert_item(nullptr, ui::kItemPhone, "android phone", "treeroot.png", true);
        contacts = tree->insert_item(root, ui::kItemContacts, "Contacts", "contacts.png");
        messages = tree->insert_item(root, ui::kItemMessages, "Message", "message.png");
        disk = tree->insert_item(root, ui::kItemDisk, "card.img", "disk.png", true);
        jpg = tree->insert_item(disk, ui::kItemFileType, "jpg (3)", "folder.png");
        png = tree->insert_item(disk, ui::kItemFileType, "png (1)", "folder.png");
        gif = tree->insert_item(disk, ui::kItemFileType, "gif (2)", "folder.png");
        tree->expandAll();
        window.show();
    }
    void set_all(bool on) {
        for (TreeItem* i : {root, contacts, messages, disk, jpg, png, gif}) tree->set_checked(i, on);
        host.got.clear();
    }
    std::vector<std::pair<TreeItem*, bool>> reported() const {
        std::vector<std::pair<TreeItem*, bool>> out;
        for (const Message& m : host.got) {
            if (m.id == WM_TREE_ITEM_CHECKED) out.emplace_back(reinterpret_cast<TreeItem*>(m.wparam), m.lparam == 1);
        }
        return out;
    }
};

using Reports = std::vector<std::pair<TreeItem*, bool>>;

}  // namespace

class ResultTreeTest : public QObject {
    Q_OBJECT
private slots:
    void checking_the_last_unchecked_child_checks_the_ancestors() {
        Tree t;
        t.set_all(false);
        t.tree->toggle_check(t.jpg);
        t.tree->toggle_check(t.png);
        QVERIFY(!t.disk->checked);  // gif is still unchecked
        t.host.got.clear();
        t.tree->toggle_check(t.gif);
        QVERIFY(t.disk->checked);
        QVERIFY(!t.root->checked);  // Contacts and Message are not
        QCOMPARE(t.reported(), (Reports{{t.gif, true}, {t.disk, true}}));
        t.tree->toggle_check(t.contacts);
        t.host.got.clear();
        t.tree->toggle_check(t.messages);
        QVERIFY(t.root->checked);
        QCOMPARE(t.reported(), (Reports{{t.messages, true}, {t.root, true}}));
    }

    void an_earlier_unchecked_sibling_keeps_the_parent_unchecked() {
        Tree t;
        t.set_all(false);
        t.tree->toggle_check(t.png);
        t.tree->toggle_check(t.gif);
        QVERIFY(!t.disk->checked);
        QCOMPARE(t.reported(), (Reports{{t.png, true}, {t.gif, true}}));
    }

    void unchecking_any_item_unchecks_every_ancestor_and_checking_goes_down() {
        Tree t;
        t.set_all(true);
        t.tree->toggle_check(t.png);
        QVERIFY(!t.disk->checked && !t.root->checked);
        QVERIFY(t.jpg->checked && t.gif->checked && t.contacts->checked);
        QCOMPARE(t.reported(), (Reports{{t.png, false}, {t.disk, false}, {t.root, false}}));

        // The downward rule: the item, then depth first everything below it.
        t.host.got.clear();
        t.tree->toggle_check(t.root);
        QCOMPARE(t.reported(), (Reports{{t.root, true}, {t.contacts, true}, {t.messages, true}, {t.disk, true},
                                        {t.jpg, true}, {t.png, true}, {t.gif, true}}));
    }

    void a_press_on_a_check_box_keeps_the_selection_and_a_double_click_does_not_expand() {
        Tree t;
        t.set_all(false);
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        t.tree->setCurrentItem(t.contacts);
        QTest::mouseClick(t.tree->viewport(), Qt::LeftButton, {}, t.tree->check_rect(t.jpg).center());
        QVERIFY(t.jpg->checked);
        QCOMPARE(t.tree->selected_item(), t.contacts);
        // Elsewhere on the row, the press selects.
        QTest::mouseClick(t.tree->viewport(), Qt::LeftButton, {}, t.tree->visualItemRect(t.png).center() + QPoint(40, 0));
        QCOMPARE(t.tree->selected_item(), t.png);
        QVERIFY(!t.png->checked);

        QVERIFY(t.disk->isExpanded());
        QTest::mouseDClick(t.tree->viewport(), Qt::LeftButton, {}, t.tree->visualItemRect(t.disk).center() + QPoint(40, 0));
        QVERIFY(t.disk->isExpanded());
        // Space toggles the current item's check.
        t.tree->setCurrentItem(t.gif);
        QTest::keyClick(t.tree, Qt::Key_Space);
        QVERIFY(t.gif->checked);
    }
};

QUEN_UI_TEST(ResultTreeTest);
#include "result_tree_test.moc"
