#include "ui/controls/url_opener.h"

#include <QDesktopServices>

namespace quen::ui {
namespace {

UrlOpener& current() {
    static UrlOpener opener;
    return opener;
}

}  // namespace

bool open_url(const QUrl& url) {
    if (current()) return current()(url);
    return QDesktopServices::openUrl(url);
}

UrlOpener set_url_opener(UrlOpener opener) {
    UrlOpener old = std::move(current());
    current() = std::move(opener);
    return old;
}

QUrl product_page_url() { return QUrl("https://www.quenfora.com/corvalin-android/"); }
QUrl support_page_url() { return QUrl("https://www.quenfora.com/support/"); }
QUrl online_help_url() { return QUrl("https://www.quenfora.com/corvalin-android/help/"); }

}  // namespace quen::ui
