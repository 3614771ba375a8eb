#include "phone/device_state.h"

#include <array>
#include <optional>

namespace quen::phone {
namespace {

struct StateRow {
    DeviceState state;
    const char* name;
    DeviceStateText text;
};

// One row per state: the name the command line prints and what the user is
// told. The window's connect page and the command line both read this table.
constexpr std::array<StateRow, 10> kStates{{
    {DeviceState::NoDevice, "NoDevice",
     {"No phone was found.",
      "Attach the phone by USB with USB debugging switched on (Settings, Developer options), then try again."}},
    {DeviceState::Ready, "Ready", {"", ""}},
    {DeviceState::NotAuthorized, "NotAuthorized",
     {"The phone has not allowed USB debugging from this computer.",
      "Unlock the phone, answer \"Allow USB debugging?\" with Allow, then try again."}},
    {DeviceState::NoPermission, "NoPermission",
     {"This computer's user may not open the phone's USB device.",
      "Install udev rules for the phone's vendor (Debian: sudo apt install android-sdk-platform-tools-common), "
      "join the plugdev group (sudo adduser $USER plugdev, then log in again), then unplug and replug the phone."}},
    {DeviceState::Offline, "Offline",
     {"The phone is attached but offline.",
      "Unplug and replug the phone, or restart it; if it stays offline, revoke the USB debugging "
      "authorisations in Developer options and allow this computer again."}},
    {DeviceState::Recovery, "Recovery",
     {"The phone is in recovery mode.", "Restart the phone into Android, then try again."}},
    {DeviceState::Sideload, "Sideload",
     {"The phone is in sideload mode.", "Finish or cancel the sideload, restart the phone into Android, then try again."}},
    {DeviceState::Bootloader, "Bootloader",
     {"The phone is in bootloader (fastboot) mode.", "Restart the phone into Android, then try again."}},
    {DeviceState::NoHelper, "NoHelper",
     {"The adb helper could not be started.",
      "Install adb (sudo apt install adb), or name the helper with --adb PATH."}},
    {DeviceState::Unavailable, "Unavailable",
     {"The phone is listed in a state that cannot be read.", "Restart the phone into Android, then try again."}},
}};

const StateRow& row_of(DeviceState state) {
    for (const auto& row : kStates)
        if (row.state == state) return row;
    return kStates[0];
}

// adb's state words (the state column's first word, or "no permissions").
std::optional<DeviceState> state_of_word(std::string_view column) {
    if (column.rfind("no permissions", 0) == 0) return DeviceState::NoPermission;
    const std::string_view word = column.substr(0, column.find_first_of(" \t"));
    struct Word {
        std::string_view word;
        DeviceState state;
    };
    static constexpr Word kWords[] = {
        {"device", DeviceState::Ready},           {"unauthorized", DeviceState::NotAuthorized},
        {"authorizing", DeviceState::NotAuthorized}, {"offline", DeviceState::Offline},
        {"connecting", DeviceState::Offline},     {"recovery", DeviceState::Recovery},
        {"rescue", DeviceState::Recovery},        {"sideload", DeviceState::Sideload},
        {"bootloader", DeviceState::Bootloader},  {"host", DeviceState::Unavailable},
        {"detached", DeviceState::Unavailable},   {"unknown", DeviceState::Unavailable},
    };
    for (const auto& w : kWords)
        if (w.word == word) return w.state;
    return std::nullopt;
}

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The device a line describes, if it is a device line.
std::optional<ListedDevice> device_of_line(std::string_view line) {
    std::size_t split = line.find('\t');
    if (split == std::string_view::npos) split = line.find(' ');  // "devices -l" pads with blanks
    if (split == 0 || split == std::string_view::npos) return std::nullopt;
    const std::string_view column = trim(line.substr(split + 1));
    const auto state = state_of_word(column);
    if (!state) return std::nullopt;
    return ListedDevice{std::string(line.substr(0, split)), *state, std::string(column)};
}

}  // namespace

const char* device_state_name(DeviceState state) { return row_of(state).name; }

DeviceStateText device_state_text(DeviceState state) { return row_of(state).text; }

std::vector<ListedDevice> parse_device_list(std::string_view listing) {
    std::vector<ListedDevice> devices;
    std::string_view rest = listing;
    while (!rest.empty()) {
        const std::size_t lf = rest.find('\n');
        const std::string_view line = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view{} : rest.substr(lf + 1);
        if (line.find("List of devices attached") != std::string_view::npos) continue;
        if (auto device = device_of_line(line)) devices.push_back(std::move(*device));
    }
    return devices;
}

ListedDevice select_device(std::string_view listing, std::string_view serial) {
    for (auto& device : parse_device_list(listing))
        if (serial.empty() || device.serial == serial) return device;
    ListedDevice none;
    none.serial = std::string(serial);
    return none;
}

DeviceState parse_device_listing(std::string_view listing) { return select_device(listing).state; }

}  // namespace quen::phone
