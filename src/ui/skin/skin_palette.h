#pragma once
// The colours the code draws with that are not fixed by the window's own
// texts: one accent (the skin pictures are painted with the same values by
// tools/make-skin), and the shades that go with it.
#include <QColor>
#include <QString>

namespace quen::ui::skin {

inline const QColor kAccent{27, 116, 179};        // title bands, links, focus
inline const QColor kAccentDark{18, 84, 133};     // pressed
inline const QColor kAccentLight{226, 239, 249};  // hover wash
inline const QColor kFocusRing{27, 116, 179};
inline const QColor kInk{34, 40, 49};             // body text on light surfaces
inline const QColor kMuted{110, 118, 129};        // secondary text
inline const QColor kSurface{255, 255, 255};
inline const QColor kPanel{246, 248, 251};
inline const QColor kLine{214, 220, 228};
inline const QColor kDisabled{178, 185, 194};

// The style sheet of a progress bar on `ground`: a thin rounded frame and the
// accent's chunk.
inline QString progress_bar_style(const QColor& ground) {
    return QString("QProgressBar { border: 1px solid %1; border-radius: 4px; background: %2; }"
                   "QProgressBar::chunk { background: %3; border-radius: 3px; }")
        .arg(kLine.name(), ground.name(), kAccent.name());
}

}  // namespace quen::ui::skin
