#include "phone/device_state.h"

#include <gtest/gtest.h>

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
        {"offline", header + "A1\toffline\n\n", phone::DeviceState::NotAuthorized},
        {"unknown states are skipped", header + "A1\trecovery\nB2\tbootloader\nC3\tsideload\n", phone::DeviceState::NoDevice},
        {"unknown then device", header + "A1\trecovery\nB2\tdevice\n", phone::DeviceState::Ready},
        {"daemon notices before the header",
         "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n" + header +
             "emulator-5554\tdevice\n\n",
         phone::DeviceState::Ready},
        {"daemon notices, no phone",
         "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n" + header + "\n",
         phone::DeviceState::NoDevice},
        {"the word anywhere in a line counts", "adb: error: failed to get feature set: no devices/emulators found\n", phone::DeviceState::Ready},
        {"long listing (-l)", header + "R58M\tdevice usb:1-1 product:a51 model:SM_A515F transport_id:1\n",
         phone::DeviceState::Ready},
        {"nul bytes inside lines", with_nuls,
         phone::DeviceState::Ready},
        {"header after a device line is never reached", "A1\tdevice\n" + header, phone::DeviceState::Ready},
        {"word must match case", header + "A1\tDEVICE\nB2\tOffline\n", phone::DeviceState::NoDevice},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(phone::parse_device_listing(c.listing), c.want) << c.name;
        EXPECT_EQ(phone::parse_device_listing(crlf(c.listing)), c.want) << c.name << " (CR LF)";
    }
}

TEST(DeviceListing, StateNamesAndValues) {
    EXPECT_EQ(static_cast<int>(phone::DeviceState::NoDevice), 0);
    EXPECT_EQ(static_cast<int>(phone::DeviceState::Ready), 1);
    EXPECT_EQ(static_cast<int>(phone::DeviceState::NotAuthorized), 2);
    EXPECT_STREQ(phone::device_state_name(phone::DeviceState::NoDevice), "NoDevice");
    EXPECT_STREQ(phone::device_state_name(phone::DeviceState::Ready), "Ready");
    EXPECT_STREQ(phone::device_state_name(phone::DeviceState::NotAuthorized), "NotAuthorized");
    EXPECT_STREQ(phone::device_state_name(static_cast<phone::DeviceState>(7)), "NoDevice");
}

}  // namespace
}  // namespace quen::phone
