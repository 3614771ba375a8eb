// quenfora-cli acquire: prepares the work folder and pulls the phone's
// databases, then shows what landed. The copies stay for the user.
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/commands/commands.h"
#include "cli/output/phone_report.h"
#include "cli/output/progress_line.h"
#include "cli/phone_interrupt.h"
#include "phone/acquisition.h"

namespace quen::cli {

Command add_acquire_command(CLI::App& app, const Globals& globals) {
    Command command;
    command.sub = app.add_subcommand(
        "acquire",
        "Prepare a private work folder and copy the phone's databases with their -shm, -wal and -journal files "
        "(with root), or read its live records (without), leaving the phone as it was. Prints the state, then "
        "each work file with its size or \"absent\"; the copies are kept");
    command.run = [&globals]() {
        const phone::WorkFolder work = phone::prepare_work_folder();
        if (!work.ok()) {
            std::fprintf(stderr, "quenfora-cli: %s\n", work.error.c_str());
            return static_cast<int>(kExitFailed);
        }
        std::atomic<bool> stop{false};
        const PhoneInterrupt interrupt(stop, work, false);
        ProgressLine progress(globals.quiet);
        TransferProgressLine transfer(progress);
        phone::TransferControl control;
        control.stop = &stop;
        control.on_progress = [&transfer](const phone::TransferProgress& p) { transfer.show(p); };
        const phone::AcquisitionReport report = run_acquisition(adb_helper(globals), work, control);
        progress.finish();

        std::printf("%s\n", phone::device_state_name(report.state()));
        print_state_help(report.state());
        if (report.state() == phone::DeviceState::Ready) {
            std::fprintf(stderr, "quenfora-cli: %s\n", device_line(report).c_str());
            print_log_and_notes(report);
        }
        bool kept = false;
        // Only a Ready phone has work files to show.
        const bool ready = report.state() == phone::DeviceState::Ready;
        for (const std::string& path : ready ? work.work_files() : std::array<std::string, 10>{}) {
            if (path.empty()) continue;
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
