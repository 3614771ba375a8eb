#include "ui/preview/contact_board.h"

#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

#include "ui/preview/char_wrap.h"
#include "ui/sink/qt_message_sink.h"
#include "ui/skin/font_pool.h"
#include "ui/skin/skin_folder.h"

namespace quen::ui {
namespace {

constexpr int kWheelStep = 10;  // positions (pixels) per notch

}  // namespace

const std::vector<CContactInfoBoard::Field>& CContactInfoBoard::fields() {
    using R = records::ContactRecord;
    static const std::vector<Field> f = {
        {"Name:", &R::name, 102, 122},        {"Phone:", &R::phone, 122, 142},
        {"Email:", &R::email, 152, 172},      {"Note:", &R::note, 172, 222},
        {"Company:", &R::organization, 222, 242}, {"Address:", &R::postal_address, 242, 292},
        {"IM:", &R::im, 292, 312},            {"NickName:", &R::nickname, 312, 332},
        {"Website:", &R::website, 332, 352},  {"Others:", &R::others, 352, 372},
    };
    return f;
}

CContactInfoBoard::CContactInfoBoard(QWidget* parent) : QWidget(parent), bar_(new QScrollBar(Qt::Vertical, this)) {
    portrait_ = load_skin_picture("contactperson.png");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setAccessibleName(tr("Contact"));
    connect(bar_, &QScrollBar::valueChanged, this, [this] { update(); });
    update_range();
}

void CContactInfoBoard::show_contact(const records::ContactRecord* contact) {
    contact_ = contact;
    bar_->setValue(0);
    update();
}

void CContactInfoBoard::set_canvas(const QRect& canvas) {
    canvas_ = canvas;
    update_range();
    update();
}

int CContactInfoBoard::scroll_offset() const { return bar_->value(); }

void CContactInfoBoard::update_range() {
    // As far as the card reaches below the panel, rather than a fixed 0-100.
    const int last_field = fields().back().bottom + 20;
    const int content = std::min(canvas_.height(), last_field);
    bar_->setRange(0, std::max(0, content - height()));
    bar_->setPageStep(std::max(1, height()));
    bar_->setSingleStep(1);
    bar_->setVisible(bar_->maximum() > 0);
}

void CContactInfoBoard::resizeEvent(QResizeEvent*) {
    const int w = bar_->sizeHint().width();
    bar_->setGeometry(width() - w, 0, w, height());
    update_range();
}

QString CContactInfoBoard::value_at(const QPoint& pos) const {
    if (!contact_) return {};
    const int y = pos.y() + scroll_offset();
    for (const Field& f : fields())
        if (y >= f.top && y < f.bottom && pos.x() >= 20) return QString::fromUtf8(contact_->*f.value);
    return {};
}

bool CContactInfoBoard::event(QEvent* e) {
    if (const Message* m = sink_message(e)) {
        if (m->id == WM_SHOW_CONTACT) show_contact(reinterpret_cast<const records::ContactRecord*>(m->lparam));
        return true;
    }
    if (e->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(e);
        const QString value = value_at(help->pos());
        if (value.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(value), this);
        return true;
    }
    return QWidget::event(e);
}

void CContactInfoBoard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(240, 245, 255));
    if (!contact_) return;
    p.translate(0, -scroll_offset());
    p.setPen(QColor(200, 200, 200));
    p.drawLine(0, 0, 0, canvas_.height());
    if (!portrait_.isNull()) p.drawPixmap(QRect(20, 20, 62, 62), portrait_);
    const int client_w = width() - (bar_->isVisible() ? bar_->width() : 0);
    p.setFont(pool_font(256));
    const QFontMetrics fm = p.fontMetrics();
    for (const Field& f : fields()) {
        p.setPen(QColor(150, 150, 150));
        const QRect label(20, f.top, 60, fm.height());
        p.drawText(label, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, fm.elidedText(f.label, Qt::ElideRight, label.width()));
        const QRect box(QPoint(80, f.top), QPoint(client_w - 10, f.bottom));
        // Only whole lines: a value longer than its box ends in an ellipsis
        // and is read whole in the tooltip.
        // One line more than the box holds is enough to know it ends in an
        // ellipsis: the rest of a long value is not wrapped at every paint.
        const int room = std::max(1, box.height() / fm.height());
        const QStringList lines =
            fit_lines(char_wrap(QString::fromUtf8(contact_->*f.value), fm, box.width(), room + 1), fm, box.width(), room);
        p.setPen(QColor(50, 50, 50));
        int y = box.top();
        for (const QString& line : lines) {
            p.drawText(QPoint(box.left(), y + fm.ascent()), line);
            y += fm.height();
        }
    }
}

void CContactInfoBoard::wheelEvent(QWheelEvent* e) {
    const int notches = e->angleDelta().y() / 120;
    bar_->setValue(bar_->value() - notches * kWheelStep);
    e->accept();
}

void CContactInfoBoard::mousePressEvent(QMouseEvent*) { setFocus(Qt::MouseFocusReason); }

}  // namespace quen::ui
