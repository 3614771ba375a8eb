#pragma once
// The contact card's wrap: lines grow one character at a time while they stay
// narrower than the box (width - 1); a line break in the text ends a line;
// every line keeps at least one character. Words are not kept together.
// Characters here are what a reader sees as one (a letter with its accents,
// an emoji), so a line never splits one.
#include <QFontMetrics>
#include <QString>
#include <QStringList>

namespace quen::ui {

// With `max_lines` above 0 the wrap stops once it has that many lines, so a
// long value is not measured through to its end for a box that shows a few.
QStringList char_wrap(const QString& text, const QFontMetrics& fm, int box_width, int max_lines = 0);

// The lines of `lines` that fit whole in `lines_room` lines (at least one):
// when some do not, the last one shown ends in an ellipsis, so a value is
// never cut through the middle of a line nor ends as if it were complete.
QStringList fit_lines(const QStringList& lines, const QFontMetrics& fm, int box_width, int lines_room);

}  // namespace quen::ui
