// quenfora-cli phone: the whole load sequence from the attached phone to the
// records (acquisition thread, then read thread, as the window runs them), and
// with --out the records saved the way the recovery saves them.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "cli/commands/commands.h"
#include "cli/export_cli.h"
#include "cli/output/load_steps.h"
#include "cli/output/phone_report.h"
#include "cli/output/progress_line.h"
#include "cli/output/records_json.h"
#include "cli/phone_interrupt.h"
#include "export/report_folders.h"
#include "phone/phone_scan_job.h"
#include "platform/queue_sink.h"

namespace quen::cli {
namespace {

struct PhoneOptions {
    ExportArgs save;
    bool json = false;
};

void write_json(phone::DeviceState state, const phone::PhoneScan& scan, const PhoneOptions& options,
                const exports::PhoneReports* pages) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("state");
    writer.String(device_state_name(state));
    write_records_members(writer, scan.contact_list, scan.thread_list);
    write_acquisition_members(writer, scan.acquisition);
    writer.Key("read_failures");
    writer.StartArray();
    for (const auto& failure : scan.read_failures) write_text(writer, failure);
    writer.EndArray();
    if (!options.save.out.empty()) {
        // Pages written with --out; null when that kind had no record.
        for (const auto& [key, path] : {std::pair{"contacts_page", pages ? pages->contacts_page : std::string()},
                                        std::pair{"messages_page", pages ? pages->messages_page : std::string()}}) {
            writer.Key(key);
            if (path.empty()) writer.Null();
            else write_text(writer, path);
        }
        if (pages) write_files_json(writer, *pages);
    }
    writer.EndObject();
    std::printf("%s\n", buffer.GetString());
}

// Removes the run's work folder whichever way the command ends: the phone's
// databases never stay behind once the records are out.
struct WorkFolderRemoval {
    const phone::WorkFolder& work;
    ~WorkFolderRemoval() { phone::remove_work_folder(work); }
};

int run_phone(const PhoneOptions& options, const Globals& globals) {
    auto sink = std::make_shared<QueueSink>();
    sink->bind_receiver(std::this_thread::get_id());
    auto scan = std::make_shared<phone::PhoneScan>();
    scan->sink = sink;
    scan->helper = adb_helper(globals);
    scan->work = phone::prepare_work_folder();
    if (!scan->work.ok()) {
        std::fprintf(stderr, "quenfora-cli: %s\n", scan->work.error.c_str());
        return kExitFailed;
    }
    const WorkFolderRemoval removal{scan->work};
    const PhoneInterrupt interrupt(scan->stop, scan->work, true);

    ProgressLine progress(globals.quiet);
    TransferProgressLine transfer(progress);
    progress.step("listing devices and copying the databases");
    phone::PhoneScanDriver driver(scan);
    driver.start();
    // Every adb call is bounded (by time or by progress), a stop ends it, and
    // the readers end, so the job always ends.
    while (!driver.finished()) {
        sink->pump_one(
            [&](const Message& message) {
                driver.handle(message);
                if (message.id == WM_TRANSFER_PROGRESS)
                    transfer.show(scan->transfer_progress());
                else if (message.id == WM_DEVICE_STATE)
                    progress.step(std::string("phone: ") + phone::device_state_name(static_cast<phone::DeviceState>(message.wparam)));
                else if (message.id == WM_LOAD_PROGRESS)
                    progress.step(load_step_text(message.wparam, message.lparam));
            },
            std::chrono::milliseconds(200));
    }
    progress.finish();
    if (scan->stop.load()) {
        std::fprintf(stderr, "quenfora-cli: stopped; the copies were deleted\n");
        return kExitStopped;
    }

    const auto state = static_cast<phone::DeviceState>(driver.load_state());
    const bool ready = state == phone::DeviceState::Ready;
    print_state_help(state);
    bool failed = !ready;
    if (ready) {
        print_log_and_notes(scan->acquisition);
        failed = print_acquisition_problems(scan->acquisition) || failed;
        for (const auto& failure : scan->read_failures) {
            std::fprintf(stderr, "quenfora-cli: reading %s\n", failure.c_str());
            failed = true;
        }
    }

    exports::PhoneReports pages;
    const bool write_pages = ready && !options.save.out.empty();
    if (write_pages) pages = write_export_files(options.save, scan->contact_list, scan->thread_list);

    if (options.json) {
        write_json(state, *scan, options, write_pages ? &pages : nullptr);
    } else {
        std::printf("%s\n", phone::device_state_name(state));
        if (ready) {
            std::printf("%s\n", device_line(scan->acquisition).c_str());
            print_records_text(stdout, scan->contact_list, scan->thread_list);
        }
        print_written_files(stdout, pages);
    }
    if (std::fflush(stdout) != 0) return kExitFailed;
    if (failed || (write_pages && !pages.ok)) return kExitFailed;
    return kExitDone;
}

}  // namespace

Command add_phone_command(CLI::App& app, const Globals& globals) {
    Command command;
    command.sub = app.add_subcommand("phone",
                               "The whole phone load sequence: acquisition, then the contacts and messages readers "
                               "(live and deleted records); with --out, every record saved as the recovery saves it");
    auto options = std::make_shared<PhoneOptions>();
    add_export_options(*command.sub, options->save);
    command.sub->add_flag("--json", options->json, "Print one JSON document");
    command.run = [options, &globals]() { return run_phone(*options, globals); };
    return command;
}

}  // namespace quen::cli
