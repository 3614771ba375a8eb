// quenfora-cli: the command-line front end over the same core as the window.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <vector>

#include "cli/commands/commands.h"

int main(int argc, char** argv) {
    using namespace quen::cli;
    CLI::App app{"Quenfora Corvalin for Android: recovers contacts, messages and files from an Android phone and its card."};
    app.require_subcommand(1);
    // Options a command does not know fall through to the program's own, so
    // the global options are taken after the command as well as before it
    // ("quenfora-cli carve IMG --quiet"). Set before the commands are added,
    // which inherit it.
    app.fallthrough();
    Globals globals;
    app.add_option("--adb", globals.adb, "The adb helper to use (default: the one beside the program, else adb on PATH)");
    app.add_option("--serial", globals.serial,
                   "The phone to use when several are attached (default: $ANDROID_SERIAL, else the first listed)");
    app.add_flag("--quiet", globals.quiet, "No progress output on stderr");

    std::vector<Command> commands;
    // One line per command file (see commands/commands.h).
    commands.push_back(add_devices_command(app, globals));
    commands.push_back(add_acquire_command(app, globals));
    commands.push_back(add_read_command(app, globals));
    commands.push_back(add_sqlite_recover_command(app, globals));
    commands.push_back(add_phone_command(app, globals));
    commands.push_back(add_disks_command(app, globals));
    commands.push_back(add_carve_command(app, globals));
    commands.push_back(add_scan_command(app, globals));
    commands.push_back(add_update_check_command(app, globals));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitDone : kExitUsage;
    }
    try {
        for (auto& command : commands)
            if (command.sub && command.sub->parsed()) return command.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quenfora-cli: %s\n", e.what());
        return kExitFailed;
    }
    return kExitUsage;
}
