#pragma once
// Workers report to whoever shows their results (the window, the command line,
// a test) through numbered messages. post() queues a message and returns at
// once; send() returns only after the receiver has handled it.
#include <cstdint>

namespace quen {

using WParam = std::uintptr_t;
using LParam = std::intptr_t;

constexpr unsigned WM_USER = 1024;

constexpr unsigned WM_LIST_ROW_CHECKED = WM_USER + 100;
constexpr unsigned WM_SHOW_CONTACT = WM_USER + 101;
constexpr unsigned WM_SHOW_CONVERSATION = WM_USER + 102;
constexpr unsigned WM_HEADER_CHECK_ALL = WM_USER + 105;
constexpr unsigned WM_TREE_ITEM_CHECKED = WM_USER + 106;
constexpr unsigned WM_PHONE_DATA_LOADED = WM_USER + 110;
constexpr unsigned WM_RECOVERY_DONE = WM_USER + 112;
constexpr unsigned WM_DEVICE_STATE = WM_USER + 113;
constexpr unsigned WM_UPDATE_RESULT = WM_USER + 114;
constexpr unsigned WM_LOAD_PROGRESS = WM_USER + 115;
constexpr unsigned WM_PREVIEW_REDRAW = WM_USER + 116;
constexpr unsigned WM_DISKS_LISTED = WM_USER + 117;
// Acquisition thread → receiver: bytes of the file being copied (wParam) of its
// size (lParam; 0 when unknown); which file: PhoneScan::transfer_progress().
constexpr unsigned WM_TRANSFER_PROGRESS = WM_USER + 118;
constexpr unsigned WM_SCAN_EVENT = WM_USER + 119;

struct Message {
    unsigned id = 0;
    WParam wparam = 0;
    LParam lparam = 0;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void post(unsigned id, WParam wparam = 0, LParam lparam = 0) = 0;
    virtual void send(unsigned id, WParam wparam = 0, LParam lparam = 0) = 0;
};

}  // namespace quen
