#pragma once
// TkFontPool: the fonts the skinned controls draw with, cached by a 16-bit key
// over a "Tahoma" base of 11 pixels.
//
//   bit 0      italic
//   bit 1      underline
//   bit 2      bold (else normal weight)
//   bits 8-15  a signed size step n: the font is 11 + n pixels high
//
// Keys in use: 0 titles, 256 body text (12 px), 260 bold body text (tree
// categories), 512 (13 px: the version line, measuring bubbles).
#include <QFont>

#include <cstdint>
#include <map>

namespace quen::ui {

class TkFontPool {
public:
    // The pool of the process, made on first use. User-interface thread only.
    static TkFontPool& instance();

    // The font for `key`, made on first request and kept.
    const QFont& font(uint16_t key);

    // The font a key describes (for the pool and its tests).
    static QFont describe(uint16_t key);

private:
    std::map<uint16_t, QFont> fonts_;
};

// Shorthand for TkFontPool::instance().font(key).
const QFont& pool_font(uint16_t key);

}  // namespace quen::ui
