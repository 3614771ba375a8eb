// quenfora-cli read: the contacts reader and the messages reader run on local
// database files, as the phone scan runs them on the pulled copies.
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <thread>

#include "cli/commands/commands.h"
#include "cli/export_cli.h"
#include "cli/output/load_steps.h"
#include "cli/output/progress_line.h"
#include "cli/output/records_json.h"
#include "platform/queue_sink.h"
#include "records/readers/contacts_reader.h"
#include "records/readers/messages_reader.h"

namespace quen::cli {
namespace {

struct ReadOptions {
    std::string contacts, contacts_backup, messages, messages_backup;
    ExportArgs save;
    bool json = false;
};

int run_read(const ReadOptions& o, const Globals& g) {
    records::ContactMap contacts;
    records::ThreadMap threads;
    QueueSink sink;
    sink.bind_receiver(std::this_thread::get_id());

    // The readers run on their own thread, as on the phone scan's read
    // thread, and report each step through the sink.
    bool failed = false;
    // A reader that fails (a file that is no database, out of memory on a
    // huge one) is named; the other still runs.
    std::thread reader([&] {
        const auto run = [&](const char* what, const auto& read) {
            try {
                read();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "quenfora-cli: reading %s stopped: %s\n", what, e.what());
                failed = true;
            }
        };
        run("contacts", [&] { records::read_contacts(o.contacts, o.contacts_backup, contacts, &sink); });
        run("messages", [&] { records::read_messages(contacts, o.messages, o.messages_backup, threads, &sink); });
        sink.post(WM_PHONE_DATA_LOADED);
    });
    ProgressLine progress(g.quiet);
    bool loaded = false;
    while (!loaded) {
        sink.pump_one(
            [&](const Message& m) {
                if (m.id == WM_LOAD_PROGRESS) progress.step(load_step_text(m.wparam, m.lparam));
                if (m.id == WM_PHONE_DATA_LOADED) loaded = true;
            },
            std::chrono::milliseconds(200));
    }
    reader.join();
    progress.finish();
    // What the other reader found is still listed (and saved); the run fails.

    const records::ContactList contact_list = build_contact_list(contacts);
    const records::ThreadList thread_list = build_thread_list(threads);
    exports::PhoneReports saved;
    if (!o.save.out.empty()) saved = write_export_files(o.save, contact_list, thread_list);
    if (o.json && o.save.out.empty()) {
        std::printf("%s\n", records_json_document(contact_list, thread_list).c_str());
    } else if (o.json) {
        std::printf("%s\n", records_json_with_files(contact_list, thread_list, saved).c_str());
    } else {
        print_records_text(stdout, contact_list, thread_list);
        print_written_files(stdout, saved);
    }
    if (failed || (!o.save.out.empty() && !saved.ok)) return kExitFailed;
    return std::fflush(stdout) == 0 ? static_cast<int>(kExitDone) : static_cast<int>(kExitFailed);
}

}  // namespace

Command add_read_command(CLI::App& app, const Globals& g) {
    Command c;
    c.sub = app.add_subcommand("read",
                               "Run the contacts reader and the messages reader on local database files, live "
                               "rows and deleted ones (a file not given counts as missing)");
    auto o = std::make_shared<ReadOptions>();
    c.sub->add_option("--contacts", o->contacts, "Work copy of contacts2.db (its -wal and -journal beside it)")
        ->check(CLI::ExistingFile);
    c.sub->add_option("--contacts-backup", o->contacts_backup, "Backup copy of contacts2.db")
        ->check(CLI::ExistingFile);
    c.sub->add_option("--messages", o->messages, "Work copy of mmssms.db (its -wal and -journal beside it)")
        ->check(CLI::ExistingFile);
    c.sub->add_option("--messages-backup", o->messages_backup, "Backup copy of mmssms.db")
        ->check(CLI::ExistingFile);
    add_export_options(*c.sub, o->save);
    c.sub->add_flag("--json", o->json, "Print one JSON document");
    c.run = [o, &g]() { return run_read(*o, g); };
    return c;
}

}  // namespace quen::cli
