#pragma once
// What the window program is told when it starts: its command line, and what
// the tests and the demo set in its place.
//
//   quenfora [--demo] [--adb PATH] [--serial SERIAL] [--image FILE]... [--version] [--help]
#include <string>
#include <vector>

#include "cdr/scan/scan_job.h"
#include "update/update_settings.h"

namespace quen::app {

struct AppOptions {
    // The adb helper; empty: the one beside the program, else adb on PATH.
    std::string adb;
    // The phone to read when several are attached; empty: $ANDROID_SERIAL,
    // else the first listed.
    std::string serial;
    // Image files scanned as removable disks together with the card.
    std::vector<std::string> images;
    // Whether the PC's own removable disks are scanned (the demo and the
    // tests scan only their sample card).
    bool system_disks = true;
    // Run on the bundled sample phone and card.
    bool demo = false;
    // Where the update checks ask, and whether the automatic one runs.
    update::UpdateSettings update;
    bool automatic_update = true;
    // The report template; empty: template.html beside the program.
    std::string template_path;
    // Where the work folder goes; empty: the user's temporary folder.
    std::string temp_folder;
    // How each disk is carved; empty: the engine's quick scan of the whole
    // disk (the tests slow it down to catch a scan while it runs).
    cdr::ScanJob::CarveFn carve;
};

// The outcome of reading the command line: run the window with `options`, or
// end at once with `exit_code` after printing `message` (help, version, a
// usage error) to stdout (exit code 0) or stderr.
struct ParsedArguments {
    AppOptions options;
    bool run = true;
    int exit_code = 0;
    std::string message;
};

// Reads the arguments left once Qt has taken its own (argv[0] first).
ParsedArguments parse_app_arguments(const std::vector<std::string>& arguments);

}  // namespace quen::app
