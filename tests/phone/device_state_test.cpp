#include "phone/device_state.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quen::phone {
namespace {

struct Case {
    const char* name;
    std::string listing;
    phone::DeviceState want;
};

std::string crlf(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEST(DeviceListing, ReducesToOneState) {
    const std::string header = "List of devices attached\n";
    static const char nuls[] = "List of devices attached\n\0\0A1\0\tdevice\n";
    const std::string with_nuls(nuls, sizeof nuls - 1);
    const Case cases[] = {
        {"empty output", "", phone::DeviceState::NoDevice},
        {"header and blank line", header + "\n", phone::DeviceState::NoDevice},
        {"header without line end", "List of devices attached", phone::DeviceState::NoDevice},
        {"one phone ready", header + "0123456789ABCDEF\tdevice\n\n", phone::DeviceState::Ready},
        {"no final line feed", header + "emulator-5554\tdevice", phone::DeviceState::Ready},
        {"unauthorized first decides", header + "A1\tunauthorized\nB2\tdevice\n\n", phone::DeviceState::NotAuthorized},
        {"device first decides", header + "B2\tdevice\nA1\tunauthorized\n\n", phone::DeviceState::Ready},
        {"each state adb names is its own", header + "A1\trecovery\nB2\tdevice\n", phone::DeviceState::Recovery},
        {"sideload", header + "A1\tsideload\n", phone::DeviceState::Sideload},
        {"bootloader", header + "A1\tbootloader\n", phone::DeviceState::Bootloader},
        {"offline is not unauthorized", header + "A1\toffline\n", phone::DeviceState::Offline},
        {"authorizing", header + "A1\tauthorizing\n", phone::DeviceState::NotAuthorized},
        {"host and other words adb knows", header + "A1\thost\n", phone::DeviceState::Unavailable},
        // The web address in adb's line holds "device": the state column decides.
        {"no permissions",
         header + "0123456789ABCDEF\tno permissions (user in plugdev group; are your udev rules wrong?); see "
                  "[http://developer.android.com/tools/device.html]\n\n",
         phone::DeviceState::NoPermission},
        {"no permissions, old adb", header + "????????????\tno permissions\n", phone::DeviceState::NoPermission},
        {"daemon notices before the header",
         "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n" + header +
             "emulator-5554\tdevice\n\n",
         phone::DeviceState::Ready},
        {"daemon notices, no phone",
         "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n" + header + "\n",
         phone::DeviceState::NoDevice},
        {"an error message naming devices is no device",
         "adb: error: failed to get feature set: no devices/emulators found\n", phone::DeviceState::NoDevice},
        {"long listing (-l)", header + "R58M                   device usb:1-1 product:a51 model:SM_A515F transport_id:1\n",
         phone::DeviceState::Ready},
        {"nul bytes inside lines", with_nuls, phone::DeviceState::Ready},
        {"header after a device line is never reached", "A1\tdevice\n" + header, phone::DeviceState::Ready},
        {"words that are not states are skipped", header + "A1\tDEVICE\nB2\tOffline\nC3\tdevices\n",
         phone::DeviceState::NoDevice},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(phone::parse_device_listing(c.listing), c.want) << c.name;
        EXPECT_EQ(phone::parse_device_listing(crlf(c.listing)), c.want) << c.name << " (CR LF)";
    }
}

TEST(DeviceListing, SerialPicksThePhoneAndEveryStateTellsItsFix) {
    const std::string listing = "List of devices attached\nA1\tunauthorized\nB2\tdevice\nC3\tno permissions; see [x]\n";
    EXPECT_EQ(phone::select_device(listing).serial, "A1");
    EXPECT_EQ(phone::select_device(listing, "B2").state, phone::DeviceState::Ready);
    EXPECT_EQ(phone::select_device(listing, "C3").state, phone::DeviceState::NoPermission);
    EXPECT_EQ(phone::select_device(listing, "D4").state, phone::DeviceState::NoDevice);
    EXPECT_EQ(phone::select_device(listing, "B").state, phone::DeviceState::NoDevice);  // whole serials only

    // The window's three keep their numbers; each state has its own name, and
    // every state but Ready says what is wrong and what to do.
    EXPECT_EQ(static_cast<int>(phone::DeviceState::NoDevice), 0);
    EXPECT_EQ(static_cast<int>(phone::DeviceState::Ready), 1);
    EXPECT_EQ(static_cast<int>(phone::DeviceState::NotAuthorized), 2);
    std::set<std::string> names;
    for (int value = 0; value <= static_cast<int>(phone::DeviceState::Unavailable); ++value) {
        const auto state = static_cast<phone::DeviceState>(value);
        names.insert(phone::device_state_name(state));
        const auto text = phone::device_state_text(state);
        EXPECT_EQ(std::string(text.fix).empty(), state == phone::DeviceState::Ready) << value;
        EXPECT_EQ(std::string(text.problem).empty(), state == phone::DeviceState::Ready) << value;
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(phone::DeviceState::Unavailable) + 1);
    EXPECT_STREQ(phone::device_state_name(phone::DeviceState::NoPermission), "NoPermission");
    EXPECT_NE(std::string(phone::device_state_text(phone::DeviceState::NoPermission).fix).find("plugdev"),
              std::string::npos);
    EXPECT_STREQ(phone::device_state_name(static_cast<phone::DeviceState>(77)), "NoDevice");
}

}  // namespace
}  // namespace quen::phone
