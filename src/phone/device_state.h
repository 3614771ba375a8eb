#pragma once
// The one state a device listing is reduced to, the reduction itself, and the
// words the window and the command line show for each state.
#include <string>
#include <string_view>
#include <vector>

namespace quen::phone {

// The first three values are the connect page's three pictures and keep their
// numbers; the others name what adb lists when a phone is attached but cannot
// be used, so that the user is told which fix applies.
enum class DeviceState : int {
    NoDevice = 0,
    Ready = 1,
    NotAuthorized = 2,  // "unauthorized", "authorizing": the phone has not allowed this computer
    NoPermission = 3,   // "no permissions": the USB device node is not open to this user
    Offline = 4,        // "offline", "connecting"
    Recovery = 5,       // "recovery", "rescue"
    Sideload = 6,       // "sideload"
    Bootloader = 7,     // "bootloader"
    NoHelper = 8,       // the adb helper could not be started at all
    Unavailable = 9,    // any other state adb lists ("host", "detached", "unknown")
};

// What the connect page shows: Loading while an acquisition runs, else the
// DeviceState value it ended with.
using LoadState = int;
constexpr LoadState kLoading = -1;

// The name printed by the command line ("NoDevice", "Ready", "NotAuthorized",
// "NoPermission", ...); "NoDevice" for a value outside the enum.
const char* device_state_name(DeviceState state);

// What the user is told about a state: one sentence saying what is wrong and
// one saying what to do about it (both empty for Ready). The window and the
// command line show the same words.
struct DeviceStateText {
    const char* problem;
    const char* fix;
};
DeviceStateText device_state_text(DeviceState state);

// One device line of the listing.
struct ListedDevice {
    std::string serial;
    DeviceState state = DeviceState::NoDevice;
    std::string state_text;  // the state column as adb printed it, without the line end
};

// The device lines of the output of "adb devices", in order. A device line is
// "<serial>\t<state>" (or, from "devices -l", the serial and the state separated
// by blanks followed by more fields); the state is read from that column as a
// whole word ("no permissions" being the one state of two words), never found
// as a substring elsewhere in the line: adb's "no permissions" line carries a
// web address that contains "device". Lines whose state column is not one of
// adb's state words (the header, daemon notices, error messages, blank lines)
// are not device lines.
std::vector<ListedDevice> parse_device_list(std::string_view listing);

// The state of the phone the run works with: the device with serial `serial`
// when one is asked for (NoDevice when it is not listed), else the first
// device listed (NoDevice when there is none).
ListedDevice select_device(std::string_view listing, std::string_view serial = {});

// The state of the first device listed: select_device(listing).state.
DeviceState parse_device_listing(std::string_view listing);

}  // namespace quen::phone
