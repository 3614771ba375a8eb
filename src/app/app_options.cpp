#include "app/app_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace quen::app {

ParsedArguments parse_app_arguments(const std::vector<std::string>& arguments) {
    ParsedArguments out;
    CLI::App cli{"Quenfora Corvalin for Android: the window. Recovers contacts, messages and files "
                 "from an Android phone and its card.",
                 "quenfora"};
    cli.add_flag("--demo", out.options.demo,
                 "Show the program at work on a bundled sample phone (simulated) and a sample card");
    cli.add_option("--adb", out.options.adb,
                   "The adb helper to use (default: the one beside the program, else adb on PATH)");
    cli.add_option("--serial", out.options.serial,
                   "The phone to read when several are attached (default: $ANDROID_SERIAL, else the first listed)");
    cli.add_option("--image", out.options.images, "A disk image to scan as a removable disk (repeatable)")
        ->check(CLI::ExistingFile);
    bool version = false;
    cli.add_flag("--version", version, "Print the version and end");

    std::vector<std::string> args(arguments.size() > 1 ? arguments.begin() + 1 : arguments.end(), arguments.end());
    std::reverse(args.begin(), args.end());  // CLI11 takes them from the back
    try {
        cli.parse(args);
    } catch (const CLI::CallForHelp&) {
        out.run = false;
        out.message = cli.help();
        return out;
    } catch (const CLI::ParseError& e) {
        out.run = false;
        out.exit_code = 2;
        out.message = std::string("quenfora: ") + e.what() + "\nRun with --help for the options.\n";
        return out;
    }
    if (version) {
        out.run = false;
        out.message = "Quenfora Corvalin for Android 2.1.0.35\n";
    }
    return out;
}

}  // namespace quen::app
