#include "ui/list/check_list.h"

#include <QCollator>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

#include "ui/list/check_header.h"
#include "ui/sink/qt_message_sink.h"
#include "ui/skin/font_pool.h"
#include "ui/skin/skin_folder.h"

namespace quen::ui {
namespace {

constexpr int kCheckFrames = 4;
constexpr int kFrameUnchecked = 0;
constexpr int kFrameChecked = 2;

// Paints a row cell by cell as one owner-drawn row: background, grid, the
// check box and mark of the first cell, centred texts.
class RowDelegate final : public QStyledItemDelegate {
public:
    RowDelegate(CListViewCheck1* list) : QStyledItemDelegate(list), list_(list) {
        checks_ = load_skin_picture("checkbox.png");
        deleted_ = load_skin_picture("deleted.png");
        file_ = load_skin_picture("file.png");
    }
    int check_width() const { return logical_size(checks_).width() / kCheckFrames; }
    int check_height() const { return logical_size(checks_).height(); }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const ListRow& row = list_->row(index.row());
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(r, selected ? QColor(161, 219, 238) : (index.row() % 2 ? QColor(255, 255, 255) : QColor(245, 245, 245)));
        p->setPen(QColor(220, 220, 220));
        p->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        p->drawLine(r.left(), r.top(), r.left(), r.bottom());
        int text_left = r.left();
        const bool marked = row.deleted && (list_->mode() == kModeContacts || list_->mode() == kModeMessages);
        if (index.column() == 0) {
            const int cw = check_width();
            const int y = r.top() + (r.height() - check_height()) / 2;
            draw_frame(*p, checks_, kCheckFrames, row.checked ? kFrameChecked : kFrameUnchecked, QPointF(r.left() + 5, y));
            text_left = r.left() + cw + 10;
            const QPixmap* mark = marked ? &deleted_ : list_->mode() == kModeFiles ? &file_ : nullptr;
            if (mark && !mark->isNull()) {
                const QSize ms = logical_size(*mark);
                p->drawPixmap(QRect(QPoint(text_left, r.top() + (r.height() - ms.height()) / 2), ms), *mark);
                text_left += ms.width() + 5;
            }
        }
        p->setFont(pool_font(256));
        p->setPen(marked ? QColor(255, 0, 0) : QColor(0, 0, 0));
        const QRect tr(text_left, r.top(), r.right() - text_left + 1, r.height());
        const QString text = index.data().toString();
        p->drawText(tr, Qt::AlignCenter | Qt::TextSingleLine, p->fontMetrics().elidedText(text, Qt::ElideRight, tr.width()));
    }

private:
    CListViewCheck1* list_;
    QPixmap checks_, deleted_, file_;
};

}  // namespace

int CheckListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(rows_.size()); }

int CheckListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_for_mode(mode_).size());
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const ListRow& r = rows_[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        const size_t c = static_cast<size_t>(index.column());
        return c < r.cells.size() ? QString::fromUtf8(r.cells[c]) : QString();
    }
    if (role == Qt::AccessibleDescriptionRole && index.column() == 0)
        return QString(r.checked ? "checked" : "not checked") + (r.deleted ? ", deleted" : "");
    return {};
}

QVariant CheckListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const auto& cols = columns_for_mode(mode_);
    return section >= 0 && static_cast<size_t>(section) < cols.size() ? QString(cols[static_cast<size_t>(section)].title) : QVariant();
}

void CheckListModel::reset(int mode) {
    beginResetModel();
    mode_ = mode;
    rows_.clear();
    endResetModel();
}

void CheckListModel::append(std::vector<ListRow> rows) {
    if (rows.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (ListRow& r : rows) rows_.push_back(std::move(r));
    endInsertRows();
}

void CheckListModel::sort_rows(int column, bool ascending) {
    emit layoutAboutToBeChanged();
    const size_t c = static_cast<size_t>(column);
    // The platform's locale-aware comparison of the two texts (at most 259
    // characters each); numbers and sizes compare as text.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<std::pair<QString, size_t>> keys;
    keys.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        keys.emplace_back(c < rows_[i].cells.size() ? QString::fromUtf8(rows_[i].cells[c]).left(259) : QString(), i);
    std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        const int cmp = collator.compare(a.first, b.first);
        return ascending ? cmp < 0 : cmp > 0;
    });
    std::vector<ListRow> sorted;
    sorted.reserve(rows_.size());
    for (const auto& k : keys) sorted.push_back(std::move(rows_[k.second]));
    rows_ = std::move(sorted);
    emit layoutChanged();
}

CListViewCheck1::CListViewCheck1(QWidget* parent)
    : QTableView(parent), model_(new CheckListModel(this)), own_sink_(std::make_shared<QtMessageSink>(this)) {
    header_ = new CHeaderCtrlCheck(*own_sink_, this);
    setHorizontalHeader(header_);
    setModel(model_);
    setItemDelegate(new RowDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(50);
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Found records"));
    connect(header_, &QHeaderView::sectionClicked, this, &CListViewCheck1::sort_by);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) {
        // The end of a scroll-bar action at the bottom asks for more.
        if (action != QAbstractSlider::SliderNoAction && action != QAbstractSlider::SliderMove && at_end()) load_more();
    });
    connect(verticalScrollBar(), &QAbstractSlider::sliderReleased, this, [this] {
        if (at_end()) load_more();
    });
}

CListViewCheck1::~CListViewCheck1() { own_sink_->close(); }

void CListViewCheck1::show_category(RowSource source, bool check_all) {
    model_->reset(source.mode());
    const auto& cols = columns_for_mode(source.mode());
    for (size_t i = 0; i < cols.size(); ++i) setColumnWidth(static_cast<int>(i), cols[i].width);
    header_->set_check_all(check_all);
    header_->set_sort_arrow(sort_column_, sort_ascending_);
    source_ = std::move(source);
    load_more();
    if (row_count() > 0) {
        selectRow(0);
        scrollToTop();
    }
}

void CListViewCheck1::clear_all() {
    model_->reset(kModeNone);
    source_ = RowSource();
}

int CListViewCheck1::load_more() {
    std::vector<ListRow> rows = source_.next(kPage, row_count() + 1);
    const int n = static_cast<int>(rows.size());
    model_->append(std::move(rows));
    return n;
}

QString CListViewCheck1::cell(int r, int column) const { return model_->data(model_->index(r, column), Qt::DisplayRole).toString(); }

void CListViewCheck1::set_row_checked(int i, bool checked) {
    model_->rows()[static_cast<size_t>(i)].checked = checked;
    viewport()->update(visualRect(model_->index(i, 0)));
}

void CListViewCheck1::set_all_rows_checked(bool checked) {
    for (ListRow& r : model_->rows()) r.checked = checked;
    viewport()->update();
}

bool CListViewCheck1::check_all() const { return header_->check_all(); }
void CListViewCheck1::set_check_all(bool checked) { header_->set_check_all(checked); }

void CListViewCheck1::update_check_all_from_rows() {
    const auto& rows = model_->rows();
    header_->set_check_all(!rows.empty() && std::all_of(rows.begin(), rows.end(), [](const ListRow& r) { return r.checked; }));
}

void CListViewCheck1::toggle_row(int i) {
    if (i < 0 || i >= row_count()) return;
    const bool now = !row(i).checked;
    set_row_checked(i, now);
    update_check_all_from_rows();
    if (host_) host_->send(WM_LIST_ROW_CHECKED, static_cast<WParam>(i), now ? 1 : 0);
}

void CListViewCheck1::check_all_rows(bool checked) {
    header_->set_check_all(checked);
    for (int i = 0; i < row_count(); ++i) {
        set_row_checked(i, checked);
        if (host_) host_->send(WM_LIST_ROW_CHECKED, static_cast<WParam>(i), checked ? 1 : 0);
    }
}

void CListViewCheck1::sort_by(int column) {
    if (column < 0 || column >= model_->columnCount()) return;
    sort_ascending_ = column == sort_column_ ? !sort_ascending_ : true;
    sort_column_ = column;
    model_->sort_rows(column, sort_ascending_);
    header_->set_sort_arrow(sort_column_, sort_ascending_);
}

int CListViewCheck1::row_height() const { return verticalHeader()->defaultSectionSize(); }
void CListViewCheck1::set_row_height(int h) { verticalHeader()->setDefaultSectionSize(h); }

QRect CListViewCheck1::check_rect(int r) const {
    const QRect row_rect = visualRect(model_->index(r, 0));
    auto* d = static_cast<RowDelegate*>(itemDelegate());
    const int ch = d->check_height();
    return QRect(row_rect.left() + 5, row_rect.top() + (row_rect.height() - ch) / 2, d->check_width(), ch);
}

bool CListViewCheck1::at_end() const {
    const QScrollBar* sb = verticalScrollBar();
    return sb->value() >= sb->maximum();
}

bool CListViewCheck1::event(QEvent* e) {
    if (const Message* m = sink_message(e)) {
        if (m->id == WM_HEADER_CHECK_ALL) check_all_rows(m->wparam != 0);
        return true;
    }
    return QTableView::event(e);
}

void CListViewCheck1::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const QModelIndex at = indexAt(e->position().toPoint());
        if (at.isValid() && check_rect(at.row()).contains(e->position().toPoint())) {
            toggle_row(at.row());  // swallowed: the selection stays
            return;
        }
    }
    QTableView::mousePressEvent(e);
    const QModelIndex cur = currentIndex();
    if (cur.isValid()) emit row_chosen(cur.row());
}

void CListViewCheck1::wheelEvent(QWheelEvent* e) {
    // At the end, a turn of the wheel either way fetches the next rows.
    if (at_end() && load_more() > 0) {
        e->accept();
        return;
    }
    QTableView::wheelEvent(e);
}

void CListViewCheck1::keyPressEvent(QKeyEvent* e) {
    const int cur = currentIndex().isValid() ? currentIndex().row() : -1;
    if (e->key() == Qt::Key_Space && cur >= 0) {
        toggle_row(cur);
        return;
    }
    if (e->matches(QKeySequence::SelectAll)) {
        check_all_rows(true);
        return;
    }
    if ((e->key() == Qt::Key_Down || e->key() == Qt::Key_PageDown || e->key() == Qt::Key_End) && cur == row_count() - 1)
        load_more();
    QTableView::keyPressEvent(e);
    const int now = currentIndex().isValid() ? currentIndex().row() : -1;
    if (now != cur && now >= 0) emit row_chosen(now);
}

}  // namespace quen::ui
