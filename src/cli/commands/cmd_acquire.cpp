// quenfora-cli acquire: prepares the work folder and pulls the phone's
// databases, then shows what landed. The copies stay for the user.
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/commands/commands.h"
#include "cli/output/phone_report.h"
#include "cli/phone_interrupt.h"
#include "phone/acquisition.h"

namespace quen::cli {

Command add_acquire_command(CLI::App& app, const Globals& globals) {
    Command command;
    command.sub = app.add_subcommand(
        "acquire",
        "Prepare a private work folder and run the acquisition (device listing; with a Ready phone the pulls and "
        "the two backup copies). Prints the state, then each work file with its size or \"absent\"; the copies "
        "are kept");
    command.run = [&globals]() {
        const phone::WorkFolder work = phone::prepare_work_folder();
        if (!work.ok()) {
            std::fprintf(stderr, "quenfora-cli: %s\n", work.error.c_str());
            return static_cast<int>(kExitFailed);
        }
        std::atomic<bool> stop{false};
        const PhoneInterrupt interrupt(stop, work, false);
        phone::TransferControl control;
        control.stop = &stop;
        const phone::AcquisitionReport report = run_acquisition(phone::AdbHelper{globals.adb}, work, control);

        std::printf("%s\n", phone::device_state_name(report.state()));
        print_state_help(report.state());
        bool kept = false;
        for (const std::string& path : work.database_paths()) {
            std::error_code ec;
            const auto size = std::filesystem::file_size(path, ec);
            if (ec) std::printf("%s\tabsent\n", path.c_str());
            else std::printf("%s\t%llu\n", path.c_str(), static_cast<unsigned long long>(size));
            kept = kept || !ec;
        }
        const bool failed = print_acquisition_problems(report);
        if (kept)
            std::fprintf(stderr, "quenfora-cli: the copies are kept in %s, readable only by you, until the next phone run starts\n",
                         work.run_folder.c_str());
        else
            phone::remove_work_folder(work);
        if (std::fflush(stdout) != 0) return static_cast<int>(kExitFailed);
        if (report.stopped || stop.load()) return static_cast<int>(kExitStopped);
        if (report.state() != phone::DeviceState::Ready || failed) return static_cast<int>(kExitFailed);
        return static_cast<int>(kExitDone);
    };
    return command;
}

}  // namespace quen::cli
