#include "phone/device_state.h"

#include <gtest/gtest.h>

#include <string>

namespace quen {
namespace {

struct Case {
    const char* name;
    std::string listing;
    DeviceState want;
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
        {"empty output", "", DeviceState::NoDevice},
        {"header and blank line", header + "\n", DeviceState::NoDevice},
        {"header without line end", "List of devices attached", DeviceState::NoDevice},
        {"one phone ready", header + "0123456789ABCDEF\tdevice\n\n", DeviceState::Ready},
        {"no final line feed", header + "emulator-5554\tdevice", DeviceState::Ready},
        {"unauthorized first decides", header + "A1\tunauthorized\nB2\tdevice\n\n", DeviceState::NotAuthorized},
        {"device first decides", header + "B2\tdevice\nA1\tunauthorized\n\n", DeviceState::Ready},
        {"offline", header + "A1\toffline\n\n", DeviceState::NotAuthorized},
        {"unknown states are skipped", header + "A1\trecovery\nB2\tbootloader\nC3\tsideload\n", DeviceState::NoDevice},
        {"unknown then device", header + "A1\trecovery\nB2\tdevice\n", DeviceState::Ready},
        {"daemon notices before the header",
         "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n" + header +
             "emulator-5554\tdevice\n\n",
         DeviceState::Ready},
        {"daemon notices, no phone",
         "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n" + header + "\n",
         DeviceState::NoDevice},
        {"the word anywhere in a line counts", "adb: error: failed to get feature set: no devices/emulators found\n", DeviceState::Ready},
        {"long listing (-l)", header + "R58M\tdevice usb:1-1 product:a51 model:SM_A515F transport_id:1\n",
         DeviceState::Ready},
        {"nul bytes inside lines", with_nuls,
         DeviceState::Ready},
        {"header after a device line is never reached", "A1\tdevice\n" + header, DeviceState::Ready},
        {"word must match case", header + "A1\tDEVICE\nB2\tOffline\n", DeviceState::NoDevice},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_device_listing(c.listing), c.want) << c.name;
        EXPECT_EQ(parse_device_listing(crlf(c.listing)), c.want) << c.name << " (CR LF)";
    }
}

TEST(DeviceListing, StateNamesAndValues) {
    EXPECT_EQ(static_cast<int>(DeviceState::NoDevice), 0);
    EXPECT_EQ(static_cast<int>(DeviceState::Ready), 1);
    EXPECT_EQ(static_cast<int>(DeviceState::NotAuthorized), 2);
    EXPECT_STREQ(device_state_name(DeviceState::NoDevice), "NoDevice");
    EXPECT_STREQ(device_state_name(DeviceState::Ready), "Ready");
    EXPECT_STREQ(device_state_name(DeviceState::NotAuthorized), "NotAuthorized");
    EXPECT_STREQ(device_state_name(static_cast<DeviceState>(7)), "NoDevice");
}

}  // namespace
}  // namespace quen
