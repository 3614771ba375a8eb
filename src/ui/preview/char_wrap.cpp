#include "ui/preview/char_wrap.h"

#include <algorithm>

#include <QTextBoundaryFinder>

namespace quen::ui {

QStringList char_wrap(const QString& text, const QFontMetrics& fm, int box_width, int max_lines) {
    QStringList lines;
    const int limit = box_width - 1;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    QString line;
    int start = 0;
    auto flush = [&] {
        lines.push_back(line);
        line.clear();
    };
    for (int next = finder.toNextBoundary(); next >= 0; next = finder.toNextBoundary()) {
        if (max_lines > 0 && lines.size() >= max_lines) return lines;
        const QString ch = text.mid(start, next - start);
        start = next;
        if (ch == "\r" || ch == "\n" || ch == "\r\n") {
            flush();
            continue;
        }
        if (!line.isEmpty() && fm.horizontalAdvance(line + ch) >= limit) flush();
        line += ch;
    }
    if (!line.isEmpty() || lines.isEmpty()) lines.push_back(line);
    return lines;
}

QStringList fit_lines(const QStringList& lines, const QFontMetrics& fm, int box_width, int lines_room) {
    const int room = std::max(1, lines_room);
    if (lines.size() <= room) return lines;
    QStringList shown = lines.mid(0, room);
    // The last line shown gets what follows it, then loses characters to the
    // ellipsis as ElideRight decides.
    shown.back() = fm.elidedText(shown.back() + lines[room] + QString(QChar(0x2026)), Qt::ElideRight, box_width - 1);
    return shown;
}

}  // namespace quen::ui
