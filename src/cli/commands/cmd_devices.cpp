// quenfora-cli devices: starts the adb server, lists devices, prints the state.
#include <cstdio>

#include "cli/commands/commands.h"
#include "cli/interrupt.h"
#include "cli/output/phone_report.h"
#include "phone/adb_runner.h"

namespace quen::cli {

Command add_devices_command(CLI::App& app, const Globals& globals) {
    Command command;
    command.sub = app.add_subcommand(
        "devices",
        "Start the adb server, list devices and print the state of the phone: NoDevice, Ready, NotAuthorized, "
        "or the state adb lists it in (NoPermission, Offline, Recovery, ...), with the fix on stderr");
    command.run = [&globals]() {
        const HelperInterrupt interrupt;
        const phone::DeviceState state = phone::adb_devices_state(adb_helper(globals));
        std::printf("%s\n", phone::device_state_name(state));
        print_state_help(state);
        // The listing is the work: it failed only when adb could not be run.
        return static_cast<int>(state == phone::DeviceState::NoHelper ? kExitFailed : kExitDone);
    };
    return command;
}

}  // namespace quen::cli
