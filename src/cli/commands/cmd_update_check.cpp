// quenfora-cli update-check: runs the manual update check (or, with --auto, the
// automatic one) and prints the text the window's message box would show.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>

#include "cli/commands/commands.h"
#include "platform/queue_sink.h"
#include "update/update_settings.h"
#include "update/update_texts.h"
#include "update/automatic_check.h"
#include "update/manual_check.h"

namespace quen::cli {
namespace {

struct UpdateCheckOptions {
    bool automatic = false;
    std::string url;
};

int run_update_check(const UpdateCheckOptions& options, const Globals& globals) {
    update::UpdateSettings settings;
    if (!options.url.empty()) settings.url = options.url;
    std::string why;
    if (!update::is_usable_update_url(settings.url, &why)) {
        std::fprintf(stderr, "update-check: %s\n", why.c_str());
        return kExitUsage;
    }
    // Results go to stdout; the check's own diagnostic lines to stderr.
    settings.diag_out = globals.quiet ? nullptr : stderr;
    settings.diag_err = globals.quiet ? nullptr : stderr;

    // The check runs on a worker thread of its own, as in the window, and
    // reports through the sink that this thread pumps. The command joins it
    // (the window does not wait), so nothing of it is left at exit.
    QueueSink sink;
    std::atomic<bool> done{false};
    std::string failure;
    std::thread worker([&] {
        try {
            if (options.automatic)
                update::automatic_update_check(settings, nullptr, &failure, sink);
            else
                update::manual_update_check(settings, nullptr, &failure, sink);
        } catch (const std::exception& e) {
            failure = e.what();
        }
        done = true;
    });
    std::optional<std::string> shown;
    const QueueSink::Handler handler = [&](const Message& message) {
        if (message.id == WM_UPDATE_RESULT) shown = update::update_result_text(message.wparam, message.lparam);
    };
    // The check ends within its time-outs; its result arrives before it ends.
    while (!done) sink.pump_one(handler, std::chrono::milliseconds(50));
    worker.join();
    while (sink.pump_one(handler, std::chrono::milliseconds(0))) {
    }
    sink.close();

    if (shown) std::printf("%s\n", shown->c_str());
    std::fflush(stdout);
    if (!failure.empty()) {
        std::fprintf(stderr, "update-check: %s\n", failure.c_str());
        return kExitFailed;
    }
    return kExitDone;
}

}  // namespace

Command add_update_check_command(CLI::App& app, const Globals& globals) {
    auto options = std::make_shared<UpdateCheckOptions>();
    Command command;
    command.sub = app.add_subcommand("update-check",
                               "Ask the maker's web server whether a newer version exists and print what the "
                               "window's message box would show");
    command.sub->add_flag("--auto", options->automatic,
                    "Run the automatic check (JSON form): prints nothing unless a newer version exists");
    command.sub->add_option("--url", options->url, "Address of the version description file (default: " +
                                             update::default_update_url() + ")");
    command.run = [options, &globals]() { return run_update_check(*options, globals); };
    return command;
}

}  // namespace quen::cli
