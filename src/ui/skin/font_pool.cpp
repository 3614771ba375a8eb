#include "ui/skin/font_pool.h"

namespace quen::ui {

TkFontPool& TkFontPool::instance() {
    static TkFontPool pool;
    return pool;
}

QFont TkFontPool::describe(uint16_t key) {
    QFont f(QStringLiteral("Tahoma"));
    const auto step = static_cast<int8_t>(key >> 8);
    f.setPixelSize(11 + step);
    f.setItalic(key & 1);
    f.setUnderline(key & 2);
    f.setWeight((key & 4) ? QFont::Bold : QFont::Normal);
    return f;
}

const QFont& TkFontPool::font(uint16_t key) {
    auto it = fonts_.find(key);
    if (it == fonts_.end()) it = fonts_.emplace(key, describe(key)).first;
    return it->second;
}

const QFont& pool_font(uint16_t key) { return TkFontPool::instance().font(key); }

}  // namespace quen::ui
