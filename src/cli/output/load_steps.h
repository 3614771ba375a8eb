#pragma once
// Text of the eight load steps that the readers report with WM_LOAD_PROGRESS
// (wParam = step, lParam = 8), for the command line's progress line.
#include <string>

#include "platform/message_sink.h"

namespace quen::cli {

// "3/8 contacts: free space of the work copy scanned"; an unknown step still gives
// "n/total".
std::string load_step_text(WParam step, LParam total);

}  // namespace quen::cli
