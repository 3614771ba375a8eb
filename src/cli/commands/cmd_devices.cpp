// quenfora-cli devices: starts the adb server, lists devices, prints the state.
#include <cstdio>

#include "cli/commands/commands.h"
#include "cli/interrupt.h"
#include "phone/adb_runner.h"

namespace quen::cli {

Command add_devices_command(CLI::App& app, const Globals& globals) {
    Command command;
    command.sub = app.add_subcommand("devices", "Start the adb server, list devices and print NoDevice, Ready or NotAuthorized");
    command.run = [&globals]() {
        const HelperInterrupt interrupt;
        const phone::DeviceState state = phone::adb_devices_state(phone::AdbHelper{globals.adb});
        std::printf("%s\n", phone::device_state_name(state));
        return static_cast<int>(kExitDone);
    };
    return command;
}

}  // namespace quen::cli
