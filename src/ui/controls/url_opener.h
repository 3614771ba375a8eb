#pragma once
// Opening web pages in the user's browser. The tests put a recorder in place
// of the browser.
#include <QUrl>

#include <functional>

namespace quen::ui {

using UrlOpener = std::function<bool(const QUrl&)>;

// Opens `url` with the opener in force (by default the desktop's browser).
bool open_url(const QUrl& url);
// Replaces the opener; an empty one restores the default. Returns the old one.
UrlOpener set_url_opener(UrlOpener opener);

// The maker's pages.
QUrl product_page_url();
QUrl support_page_url();
QUrl online_help_url();

}  // namespace quen::ui
