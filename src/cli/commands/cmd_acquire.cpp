// quenfora-cli acquire: prepares the work folder and pulls the phone's
// databases, then shows what landed.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/commands/commands.h"
#include "cli/interrupt.h"
#include "phone/acquisition.h"

namespace quen::cli {

Command add_acquire_command(CLI::App& app, const Globals& globals) {
    Command command;
    command.sub = app.add_subcommand(
        "acquire",
        "Prepare the work folder and run the acquisition (device listing; with a Ready phone the six pulls and "
        "the two backup copies). Prints the state, then each work file with its size or \"absent\"");
    command.run = [&globals]() {
        const HelperInterrupt interrupt;
        const phone::WorkFolder work = phone::prepare_work_folder();
        const phone::DeviceState state = run_acquisition(phone::AdbHelper{globals.adb}, work);
        std::printf("%s\n", phone::device_state_name(state));
        for (const std::string& path : work.database_paths()) {
            std::error_code ec;
            const auto size = std::filesystem::file_size(path, ec);
            if (ec) std::printf("%s\tabsent\n", path.c_str());
            else std::printf("%s\t%llu\n", path.c_str(), static_cast<unsigned long long>(size));
        }
        return static_cast<int>(kExitDone);
    };
    return command;
}

}  // namespace quen::cli
