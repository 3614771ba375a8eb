#pragma once
// CListViewCheck1: the checked list in the middle of the results page. It
// shows the records of one category, at most 100 at first; asking to scroll
// on at its end (the wheel, the scroll bar, Down or End on the last row)
// appends the next 100. Each row has a check box: a press on it toggles the
// row without moving the selection, sets the header's check-all box to
// whether every row now in the list is checked, and tells the host
// (WM_LIST_ROW_CHECKED, row, 1 or 0). The check-all box (or Ctrl+A) sets
// every row and tells the host row by row. A click on a column title sorts
// the rows now in the list by that column's text (again: the other way).
// Space toggles the current row. Deleted records are drawn red with their
// mark.
#include <QAbstractTableModel>
#include <QPixmap>
#include <QTableView>

#include <memory>

#include "platform/message_sink.h"
#include "ui/list/list_rows.h"

namespace quen::ui {

class CHeaderCtrlCheck;
class QtMessageSink;

class CheckListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    void reset(int mode);
    void append(std::vector<ListRow> rows);
    void sort_rows(int column, bool ascending);
    std::vector<ListRow>& rows() { return rows_; }
    int mode() const { return mode_; }

private:
    int mode_ = kModeNone;
    std::vector<ListRow> rows_;
};

class CListViewCheck1 final : public QTableView {
    Q_OBJECT
public:
    static constexpr int kPage = 100;

    explicit CListViewCheck1(QWidget* parent);
    ~CListViewCheck1() override;

    void set_host(MessageSink* host) { host_ = host; }

    // Clears the list, sets the mode's columns and the check-all box, shows
    // the first 100 rows of `source` and selects the first.
    void show_category(RowSource source, bool check_all);
    // Rows, columns and the source gone (Back, close).
    void clear_all();
    // Appends up to 100 further rows; returns how many came.
    int load_more();

    int mode() const { return model_->mode(); }
    int row_count() const { return model_->rowCount(); }
    const ListRow& row(int i) const { return model_->rows()[static_cast<size_t>(i)]; }
    QString cell(int row, int column) const;
    bool row_checked(int i) const { return row(i).checked; }
    // The box alone, no message.
    void set_row_checked(int i, bool checked);
    void set_all_rows_checked(bool checked);
    bool check_all() const;
    void set_check_all(bool checked);

    // As a press on the row's check box.
    void toggle_row(int i);
    // As a click on the check-all box: every row, each reported.
    void check_all_rows(bool checked);
    // As a click on a column title.
    void sort_by(int column);
    int sort_column() const { return sort_column_; }
    bool sort_ascending() const { return sort_ascending_; }

    int row_height() const;
    void set_row_height(int h);
    // The check box of a row, in viewport coordinates.
    QRect check_rect(int row) const;
    CHeaderCtrlCheck* check_header() const { return header_; }

signals:
    // The current row moved (click or keys): the host shows its record.
    void row_chosen(int row);

protected:
    bool event(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    bool at_end() const;
    void update_check_all_from_rows();

    CheckListModel* model_;
    CHeaderCtrlCheck* header_;
    std::shared_ptr<QtMessageSink> own_sink_;  // the header's messages to this list
    MessageSink* host_ = nullptr;
    RowSource source_;
    int sort_column_ = -1;
    bool sort_ascending_ = false;
};

}  // namespace quen::ui
