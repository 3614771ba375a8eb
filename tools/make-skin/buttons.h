#pragma once
// The state strips of the skin's buttons: frame 0 normal, 1 hover, 2 pressed,
// 3 disabled.
#include <QImage>
#include <QString>

#include "glyphs.h"

namespace quen::skin {

// An icon button on the accent title band: a white glyph; hover and pressed
// wash behind it (red for the close button).
QImage title_bar_button(Glyph g, int frames, int w, int h, qreal scale, bool danger = false);

// A square toolbar button: accent glyph on white, filled accent when pressed.
QImage toolbar_button(Glyph g, int size, qreal scale);

// A text button; `primary` ones are filled with the accent colour.
QImage text_button(const QString& label, int w, int h, qreal scale, bool primary, Glyph* glyph = nullptr);

}  // namespace quen::skin
