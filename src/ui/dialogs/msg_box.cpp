#include "ui/dialogs/msg_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

#include "ui/controls/img_button.h"
#include "ui/skin/drawing_helpers.h"
#include "ui/skin/skin_folder.h"

namespace quen::ui {
namespace {

constexpr int kTextLeft = 70;
constexpr int kTextRightMargin = 10;
constexpr int kBottomMargin = 15;
constexpr int kHalfGap = 20;      // two buttons stand 40 px apart about the centre
constexpr int kTitleBand = 36;    // text never runs into the title band
constexpr int kAboveButtons = 8;  // nor into the button row

const char* icon_name(int kind) {
    switch (kind) {
        case CMsgBox::kError: return "error.png";
        case CMsgBox::kInformation: return "info.png";
        case CMsgBox::kSuccess: return "right.png";
        default: return "warn.png";
    }
}

struct ButtonSpec {
    int bit;
    int id;
    const char* picture;
    const char* name;
};
constexpr ButtonSpec kButtons[] = {
    {CMsgBox::kOkButton, CMsgBox::kOk, "ok.png", "OK"},
    {CMsgBox::kYesButton, CMsgBox::kYes, "yes.png", "Yes"},
    {CMsgBox::kCancelButton, CMsgBox::kCancel, "cancel.png", "Cancel"},
    {CMsgBox::kNoButton, CMsgBox::kNo, "no.png", "No"},
};

}  // namespace

CMsgBox::CMsgBox(int kind, int buttons, const QString& text, QWidget* owner)
    : SkinnedDialog("msgbox.png", owner), text_(text), text_font_(get_font("Arial", 16, 400)) {
    set_title_place(QPoint(40, 7), get_font("Arial", 14, 400));
    icon_ = load_skin_picture(icon_name(kind));
    setAccessibleDescription(text);
    lay_out_buttons(buttons);
    lay_out_text();
}

int CMsgBox::show_box(int kind, int buttons, const QString& text, QWidget* owner) {
    if (!owner) owner = QApplication::activeWindow();
    CMsgBox box(kind, buttons, text, owner);
    return box.exec();
}

CImgButton* CMsgBox::button(int id) const {
    for (CImgButton* b : buttons_)
        if (b->id() == id) return b;
    return nullptr;
}

void CMsgBox::lay_out_buttons(int bits) {
    auto* close = new CImgButton(kClose, tr("Close"), this);
    close->attach("close.png", -5, 5);
    connect(close, &QAbstractButton::clicked, this, [this] { done(kClose); });

    std::vector<CImgButton*> shown;
    for (const ButtonSpec& spec : kButtons) {
        if (!(bits & spec.bit)) continue;
        auto* b = new CImgButton(spec.id, tr(spec.name), this);
        b->attach(spec.picture, 0, 0);
        const int id = spec.id;
        connect(b, &QAbstractButton::clicked, this, [this, id] { done(id); });
        shown.push_back(b);
    }
    buttons_ = shown;
    buttons_.push_back(close);
    if (shown.empty()) return;

    const int bw = shown.front()->width();
    const int bh = shown.front()->height();
    const int y = height() - bh - kBottomMargin;
    if (shown.size() == 1) {
        shown[0]->move((width() - bw) / 2, y);
    } else {
        // The first (OK or Yes) left of the centre, the others to its right,
        // each 40 px from its neighbour.
        shown[0]->move(width() / 2 - bw - kHalfGap, y);
        int x = width() / 2 + kHalfGap;
        for (size_t i = 1; i < shown.size(); ++i) {
            shown[i]->move(x, y);
            x += shown[i]->width() + 2 * kHalfGap;
        }
    }
    setTabOrder(shown.front(), shown.back());
}

void CMsgBox::lay_out_text() {
    const QFontMetrics fm(text_font_);
    const int one_line_width = fm.horizontalAdvance(text_);
    const int a = width() - 80;
    const int right = width() - kTextRightMargin;
    one_line_ = a <= 0 || one_line_width / a == 0;
    if (one_line_) {
        lines_ = 1;
        text_rect_ = QRect(QPoint(kTextLeft, 0), QPoint(right, height() - 1));
        return;
    }
    // As many lines as the text is wide, plus one; but word wrapping can need
    // more than that, and text must never be cut, so the measured need wins.
    const int wrap_width = right - kTextLeft;
    const int needed = fm.boundingRect(QRect(0, 0, wrap_width, 10000), Qt::TextWordWrap, text_).height();
    lines_ = std::max(one_line_width / a + 1, (needed + fm.lineSpacing() - 1) / fm.lineSpacing());
    const int text_height = lines_ * fm.lineSpacing();

    int button_height = 0;
    for (CImgButton* b : buttons_)
        if (b->id() != kClose) button_height = b->height();
    const int reserve = std::max(kTitleBand, kBottomMargin + button_height + kAboveButtons);
    if (text_height + 2 * reserve > height()) {
        const int grow = text_height + 2 * reserve - height();
        grow_to_height(height() + grow);
        for (CImgButton* b : buttons_)
            if (b->id() != kClose) b->move(b->x(), b->y() + grow);
    }
    text_rect_ = QRect(kTextLeft, (height() - text_height) / 2, wrap_width, text_height);
}

void CMsgBox::paint_texts(QPainter& p) {
    if (!icon_.isNull()) p.drawPixmap(QRect(20, (height() - 40) / 2, 40, 40), icon_);
    p.setPen(Qt::black);
    p.setFont(text_font_);
    if (one_line_)
        p.drawText(text_rect_, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text_);
    else
        p.drawText(text_rect_, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text_);
}

void CMsgBox::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && buttons_.size() > 1) {
        done(buttons_.front()->id());
        return;
    }
    SkinnedDialog::keyPressEvent(e);
}

void CMsgBox::reject() { done(kClose); }

}  // namespace quen::ui
