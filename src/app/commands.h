#pragma once
// Each command registers its subcommand on the application and leaves a
// runner that main() calls when that subcommand was chosen.
#include <CLI/CLI.hpp>
#include <functional>
#include <vector>

#include "app/cli_context.h"

namespace quen::cli {

using Runner = std::function<int()>;

struct Command {
    CLI::App* sub = nullptr;
    Runner run;
};

// One function per command file; each returns its registered command.
Command add_update_check_command(CLI::App& app, const Globals& g);
Command add_devices_command(CLI::App& app, const Globals& g);
Command add_acquire_command(CLI::App& app, const Globals& g);
Command add_phone_command(CLI::App& app, const Globals& g);
Command add_disks_command(CLI::App& app, const Globals& g);
Command add_scan_command(CLI::App& app, const Globals& g);
Command add_read_command(CLI::App& app, const Globals& g);
Command add_carve_command(CLI::App& app, const Globals& g);

}  // namespace quen::cli
