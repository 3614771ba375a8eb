#include "ui/tree/result_tree.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "ui/skin/drawing_helpers.h"
#include "ui/skin/font_pool.h"
#include "ui/skin/skin_folder.h"

namespace quen::ui {
namespace {

constexpr int kCheckFrames = 5;
constexpr int kFrameUnchecked = 0;
constexpr int kFrameChecked = 3;

}  // namespace

CTreeViewEx1::CTreeViewEx1(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(0);
    setRootIsDecorated(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAccessibleName(tr("Categories"));
    opened_ = load_skin_picture("tree_opened.bmp");
    closed_ = load_skin_picture("tree_closed.bmp");
    checks_ = load_skin_picture("checkboxes.png");
    check_w_ = logical_size(checks_).width() / kCheckFrames;
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* now, QTreeWidgetItem*) { emit selection_moved(now ? item_of(now) : nullptr); });
}

TreeItem* CTreeViewEx1::insert_item(TreeItem* parent, int kind, const QString& text, const QString& icon, bool has_children) {
    auto* item = new TreeItem;
    item->setText(0, text);
    item->setSizeHint(0, QSize(10, kItemHeight));
    item->data.kind = kind;
    item->data.enabled = true;
    item->data.icon = load_skin_picture(icon);
    if (has_children) item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    return item;
}

void CTreeViewEx1::attach_data(TreeItem* item, cdr::ScanTreeNode* payload, const QString& text) {
    item->data.enabled = true;
    item->data.payload = payload;
    if (!text.isEmpty()) item->setText(0, text);
    viewport()->update();
}

void CTreeViewEx1::set_checked(TreeItem* item, bool checked) {
    item->checked = checked;
    viewport()->update(visualItemRect(item));
}

void CTreeViewEx1::report(TreeItem* item, bool checked) {
    if (host_) host_->send(WM_TREE_ITEM_CHECKED, reinterpret_cast<WParam>(item), checked ? 1 : 0);
}

void CTreeViewEx1::toggle_check(TreeItem* item) {
    apply_downward(item, !item->checked);
    apply_upward(item);
}

void CTreeViewEx1::apply_downward(TreeItem* item, bool checked) {
    set_checked(item, checked);
    report(item, checked);
    for (int i = 0; i < item->childCount(); ++i) apply_downward(item_of(item->child(i)), checked);
}

void CTreeViewEx1::apply_upward(TreeItem* item) {
    const bool s = item->checked;
    for (auto* a = item->parent(); a; a = a->parent()) {
        TreeItem* ancestor = item_of(a);
        if (s) {
            bool all = true;
            for (int i = 0; i < ancestor->childCount() && all; ++i) all = item_of(ancestor->child(i))->checked;
            if (!all) return;
        }
        set_checked(ancestor, s);
        report(ancestor, s);
    }
}

TreeItem* CTreeViewEx1::selected_item() const {
    QTreeWidgetItem* it = currentItem();
    return it ? item_of(it) : nullptr;
}

int CTreeViewEx1::item_x(const TreeItem* item, int* check_x, int* expander_x) const {
    const int exp_w = logical_size(opened_).width();
    const TreeItem* parent = item->parent() ? static_cast<const TreeItem*>(item->parent()) : nullptr;
    // The parent's icon x, as drawn; computed again so that hit tests do not
    // depend on a paint having run.
    int x = parent ? item_x(parent, nullptr, nullptr) : 5 - horizontalOffset();
    if (item->childCount() > 0 || item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator) {
        if (parent) x -= exp_w + 5;
        if (expander_x) *expander_x = x;
        if (check_x) *check_x = x + exp_w + 5;
        return x + exp_w + check_w_ + 10;
    }
    if (expander_x) *expander_x = -1;
    if (check_x) *check_x = x;
    return x + check_w_ + 5;
}

QRect CTreeViewEx1::check_rect(TreeItem* item) const {
    const QRect row = visualItemRect(item);
    int cx = 0;
    item_x(item, &cx, nullptr);
    const int h = logical_size(checks_).height();
    return QRect(cx, row.top() + (row.height() - h) / 2, check_w_, h);
}

QRect CTreeViewEx1::expander_rect(TreeItem* item) const {
    const QRect row = visualItemRect(item);
    int ex = -1;
    item_x(item, nullptr, &ex);
    if (ex < 0) return QRect();
    const QSize s = logical_size(opened_);
    return QRect(ex, row.top() + (row.height() - s.height()) / 2, s.width(), s.height());
}

void CTreeViewEx1::drawRow(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const auto* item = static_cast<const TreeItem*>(itemFromIndex(index));
    if (!item) return;
    const QRect r(0, option.rect.top(), viewport()->width(), option.rect.height());
    const int h = r.height();
    p->fillRect(r, Qt::white);
    int check_x = 0, expander_x = -1;
    int x = item_x(item, &check_x, &expander_x);
    const QSize chk(check_w_, logical_size(checks_).height());
    const int frame = item->checked ? kFrameChecked : kFrameUnchecked;
    QColor ink = Qt::black;
    QFont font = pool_font(256);
    int text_h = 15;
    if (expander_x >= 0) {
        const QPixmap& exp = item->isExpanded() ? opened_ : closed_;
        const QSize es = logical_size(exp);
        p->drawPixmap(QRect(QPoint(expander_x, r.top() + (h - es.height()) / 2), es), exp);
        draw_frame(*p, checks_, kCheckFrames, frame, QPointF(check_x, r.top() + (h - chk.height()) / 2));
        font = pool_font(260);
        text_h = 16;
    } else {
        draw_frame(*p, checks_, kCheckFrames, frame, QPointF(check_x, r.top() + (h - chk.height()) / 2));
        if (item->isSelected()) {  // the selection shows also without the focus
            const int left = check_x + logical_size(item->data.icon).width() + check_w_ + 10;
            gradient_fillrect(*p, QRect(left, r.top(), r.right() - left + 1, h), QColor(168, 229, 246), QColor(241, 247, 249), 0);
            ink = QColor(0, 0, 200);
        }
    }
    const QSize is = logical_size(item->data.icon);
    if (!item->data.icon.isNull()) p->drawPixmap(QRect(QPoint(x, r.top() + (h - is.height()) / 2), is), item->data.icon);
    p->setFont(font);
    p->setPen(ink);
    const QRect tr(x + is.width() + 5, r.top() + (h - 15) / 2, r.right() - (x + is.width() + 5), text_h);
    p->drawText(tr, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                p->fontMetrics().elidedText(item->text(0), Qt::ElideRight, tr.width()));
    if (hasFocus() && item == currentItem()) {
        p->setPen(QPen(QColor(27, 116, 179), 1, Qt::DotLine));
        p->drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void CTreeViewEx1::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        if (auto* raw = itemAt(e->position().toPoint())) {
            TreeItem* item = item_of(raw);
            if (check_rect(item).contains(e->position().toPoint())) {
                toggle_check(item);  // swallowed: the selection stays where it is
                return;
            }
            if (expander_rect(item).contains(e->position().toPoint())) {
                item->setExpanded(!item->isExpanded());
                return;
            }
        }
    }
    QTreeWidget::mousePressEvent(e);
}

void CTreeViewEx1::mouseDoubleClickEvent(QMouseEvent*) {
    // Swallowed whole: a double click neither expands nor collapses.
}

void CTreeViewEx1::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && selected_item()) {
        toggle_check(selected_item());
        return;
    }
    QTreeWidget::keyPressEvent(e);
}

}  // namespace quen::ui
