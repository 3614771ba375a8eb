#include "app/notice_board.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "ui/skin/font_pool.h"
#include "ui/skin/skin_folder.h"
#include "ui/skin/skin_palette.h"

namespace quen::app {
namespace {

constexpr int kPad = 8;
constexpr int kIcon = 20;
constexpr int kLine = 16;

}  // namespace

NoticeBoard::NoticeBoard(QWidget* parent) : QWidget(parent) {
    icon_ = ui::load_skin_picture("warn.png");
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(tr("Notes on the results"));
    hide();
}

void NoticeBoard::set_notes(std::vector<std::string> notes) {
    notes_ = std::move(notes);
    refresh();
}

void NoticeBoard::add_notes(const std::vector<std::string>& notes) {
    for (const std::string& n : notes)
        if (std::find(notes_.begin(), notes_.end(), n) == notes_.end()) notes_.push_back(n);
    refresh();
}

QString NoticeBoard::full_text() const {
    QStringList lines;
    // A bullet each, so that notes that wrap over several lines stay apart.
    for (const std::string& n : notes_) lines << QString::fromUtf8("\u2022 ") + QString::fromStdString(n);
    return lines.join('\n');
}

void NoticeBoard::refresh() {
    setToolTip(full_text());
    setAccessibleDescription(full_text());
    setVisible(!notes_.empty());
    update();
}

void NoticeBoard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(232, 190, 120), 1));
    p.setBrush(QColor(255, 248, 232));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    if (!icon_.isNull()) p.drawPixmap(QRect(kPad, kPad, kIcon, kIcon), icon_);
    p.setFont(ui::pool_font(256));
    const QFontMetrics fm = p.fontMetrics();
    const int left = kPad + kIcon + 8;
    const int width = this->width() - left - kPad;
    const int fit = std::max(1, (height() - 2 * kPad) / kLine);
    const int total = static_cast<int>(notes_.size());
    // The last line says how many more there are, or that a click shows the
    // notes whole (a long one is cut here).
    const int shown = std::min(total, fit - 1);
    int y = kPad;
    p.setPen(ui::skin::kInk);
    for (int i = 0; i < shown; ++i, y += kLine)
        p.drawText(QRect(left, y, width, kLine), Qt::AlignLeft | Qt::AlignVCenter,
                   fm.elidedText(QString::fromStdString(notes_[static_cast<size_t>(i)]), Qt::ElideRight, width));
    p.setPen(ui::skin::kAccent);
    const QString more = shown < total ? tr("%n more: click to read all", nullptr, total - shown)
                                       : tr("Click to read in full");
    p.drawText(QRect(left, y, width, kLine), Qt::AlignLeft | Qt::AlignVCenter, fm.elidedText(more, Qt::ElideRight, width));
}

void NoticeBoard::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit details_asked();
}

void NoticeBoard::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space) {
        emit details_asked();
        return;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace quen::app
