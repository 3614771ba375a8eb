#pragma once
// Progress of one phone read: the contacts reader reports steps 1-4 and the
// messages reader steps 5-8, each as WM_LOAD_PROGRESS(step, 8).
#include "platform/message_sink.h"

namespace quen::records {

// Total number of progress steps of one phone read; the lParam of every
// WM_LOAD_PROGRESS.
constexpr LParam kLoadStepCount = 8;

// Posts step `step` to `window`; nothing when there is no window.
inline void post_load_step(MessageSink* window, WParam step) {
    if (window) window->post(WM_LOAD_PROGRESS, step, kLoadStepCount);
}

}  // namespace quen::records
