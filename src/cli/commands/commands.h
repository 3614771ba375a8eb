#pragma once
// Each command registers its subcommand on the application and leaves a
// runner that main() calls when that subcommand was chosen.
#include <CLI/CLI.hpp>
#include <functional>
#include <vector>

#include "cli/context.h"

namespace quen::cli {

using Runner = std::function<int()>;

struct Command {
    CLI::App* sub = nullptr;
    Runner run;
};

// One function per command, each in its file cmd_<name>.cpp, in the order of
// the workflow; each returns its registered command. A new command is one
// file here, one line below and one line in main.cpp.
Command add_devices_command(CLI::App& app, const Globals& globals);
Command add_acquire_command(CLI::App& app, const Globals& globals);
Command add_read_command(CLI::App& app, const Globals& globals);
Command add_sqlite_recover_command(CLI::App& app, const Globals& globals);
Command add_phone_command(CLI::App& app, const Globals& globals);
Command add_disks_command(CLI::App& app, const Globals& globals);
Command add_carve_command(CLI::App& app, const Globals& globals);
Command add_scan_command(CLI::App& app, const Globals& globals);
Command add_update_check_command(CLI::App& app, const Globals& globals);

}  // namespace quen::cli
