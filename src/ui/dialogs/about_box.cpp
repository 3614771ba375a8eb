#include "ui/dialogs/about_box.h"

#include <QPainter>

#include "ui/controls/hyperlink.h"
#include "ui/controls/img_button.h"
#include "ui/controls/url_opener.h"
#include "ui/skin/drawing_helpers.h"
#include "ui/skin/font_pool.h"
#include "update/description/update_info.h"

namespace quen::ui {

CAboutBox::CAboutBox(QWidget* owner) : SkinnedDialog("aboutbk.png", owner) {
    set_title_place(QPoint(38, 7), pool_font(0));

    auto* link = new CMyHyperLink(product_page_url().toString(), product_page_url(), get_font("Arial", 16, 400), this);
    link->move(40, 270);

    auto* close = new CImgButton(kClose, tr("Close"), this);
    close->attach("close.png", -8, 5);
    connect(close, &QAbstractButton::clicked, this, [this] { done(kClose); });
    auto* ok = new CImgButton(kOk, tr("OK"), this);
    ok->attach("ok.png", -20, -15);
    connect(ok, &QAbstractButton::clicked, this, [this] { done(kOk); });
}

int CAboutBox::show_box(QWidget* owner) {
    CAboutBox box(owner);
    return box.exec();
}

QString CAboutBox::notice_text() {
    return tr("This program is protected by copyright law. It reads the phone and the cards you "
              "connect and never writes to them; what it recovers is saved only where you choose.");
}

void CAboutBox::paint_texts(QPainter& p) {
    p.setFont(pool_font(512));
    p.setPen(QColor(0, 0, 90));
    p.drawText(QRect(40, 135, width() - 80, 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               QStringLiteral("Version: ") + QString::fromUtf8(update::kOwnVersion));
    p.setFont(pool_font(256));
    p.setPen(Qt::black);
    p.drawText(QRect(QPoint(40, 190), QPoint(450, 254)), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, notice_text());
}

void CAboutBox::reject() { done(kClose); }

}  // namespace quen::ui
