#pragma once
// CTreeViewEx1: the result tree on the left of the results page. Every item
// has a check box; checking or unchecking one applies
//   the downward rule: the item and, depth first, every item below it take the
//                      new state;
//   the upward rule:   each ancestor in turn is checked exactly when all its
//                      children are, so unchecking anything unchecks every
//                      ancestor;
// and reports each change to the host as WM_TREE_ITEM_CHECKED (item, 1 or 0),
// sent, so the host keeps the records' checked flags in step. A press on a
// check box toggles it and does not move the selection; a double click neither
// expands nor collapses. The items are drawn from the skin: expanders, a strip
// of check frames (0 unchecked, 3 checked), the item's icon, bold category
// names, and a blue band behind the selected leaf.
#include <QPixmap>
#include <QTreeWidget>

#include "platform/message_sink.h"

namespace quen::cdr {
struct ScanTreeNode;
}

namespace quen::ui {

// What the host needs to know about an item.
struct TreeItemData {
    int kind = 0;           // TreeItemKind: phone, contacts, messages, disk, file type
    bool enabled = true;    // the list and the recovery pass over an item that is not
    QPixmap icon;
    cdr::ScanTreeNode* payload = nullptr;  // disks and file-type groups
};

class TreeItem final : public QTreeWidgetItem {
public:
    TreeItemData data;
    bool checked = false;
};

class CTreeViewEx1 final : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 25;

    explicit CTreeViewEx1(QWidget* parent);

    // Where check changes are reported (the main window).
    void set_host(MessageSink* host) { host_ = host; }

    // Appends an item as the last child of `parent` (null: top level).
    TreeItem* insert_item(TreeItem* parent, int kind, const QString& text, const QString& icon, bool has_children = false);
    // Marks the item enabled, stores the payload, and replaces the text when one is given.
    void attach_data(TreeItem* item, cdr::ScanTreeNode* payload, const QString& text = {});
    static TreeItem* item_of(QTreeWidgetItem* item) { return static_cast<TreeItem*>(item); }

    // The check box alone, no message.
    void set_checked(TreeItem* item, bool checked);
    // As a click on the item's check box: the new state, then the downward
    // and the upward rule, each change reported.
    void toggle_check(TreeItem* item);
    void apply_downward(TreeItem* item, bool checked);
    void apply_upward(TreeItem* item);

    TreeItem* selected_item() const;
    // The check box rectangle of an item, in viewport coordinates.
    QRect check_rect(TreeItem* item) const;
    QRect expander_rect(TreeItem* item) const;

signals:
    void selection_moved(quen::ui::TreeItem* item);

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
    void mousePressEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    void report(TreeItem* item, bool checked);
    // The x of an item's icon by the drawing rules, computed as the paint does.
    int item_x(const TreeItem* item, int* check_x, int* expander_x) const;

    MessageSink* host_ = nullptr;
    QPixmap opened_, closed_, checks_;
    int check_w_ = 0;
};

}  // namespace quen::ui
