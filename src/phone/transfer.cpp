#include "phone/transfer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <charconv>
#include <filesystem>
#include <system_error>

#include "phone/remote_file.h"
#include "phone/work_folder.h"

namespace quen::phone {

const char* file_result_name(FileResult result) {
    switch (result) {
        case FileResult::Pulled: return "pulled";
        case FileResult::Absent: return "absent";
        case FileResult::Refused: return "refused";
        case FileResult::Cut: return "cut";
        case FileResult::Stalled: return "stalled";
        case FileResult::Failed: return "failed";
        case FileResult::Stopped: return "stopped";
    }
    return "failed";
}

bool lost_in_transfer(FileResult result) {
    return result == FileResult::Cut || result == FileResult::Stalled || result == FileResult::Failed;
}

std::string describe_outcome(const FileOutcome& o) {
    std::string text = file_result_name(o.result);
    switch (o.result) {
        case FileResult::Pulled: text += " (" + std::to_string(o.bytes) + " bytes)"; break;
        case FileResult::Cut:
            text += ": " + std::to_string(o.bytes) + " of " + std::to_string(o.expected) + " bytes arrived";
            break;
        case FileResult::Stalled:
            text += ": no data for too long after " + std::to_string(o.bytes) + " bytes";
            if (o.expected) text += " of " + std::to_string(o.expected);
            break;
        default:
            if (!o.detail.empty()) text += " (" + o.detail + ")";
            break;
    }
    return text;
}

std::optional<std::uint64_t> pulled_byte_count(std::string_view output) {
    // The last report wins: "(<digits> bytes in ".
    std::optional<std::uint64_t> count;
    for (std::size_t at = output.find(" bytes in "); at != std::string_view::npos;
         at = output.find(" bytes in ", at + 1)) {
        std::size_t begin = at;
        while (begin > 0 && output[begin - 1] >= '0' && output[begin - 1] <= '9') --begin;
        if (begin == at || begin == 0 || output[begin - 1] != '(') continue;
        std::uint64_t value = 0;
        const auto [end, error] = std::from_chars(output.data() + begin, output.data() + at, value);
        if (error == std::errc() && end == output.data() + at) count = value;
    }
    return count;
}

FileResult failure_kind(std::string_view output) {
    if (says_no_such_file(output)) return FileResult::Absent;
    if (output.find("Permission denied") != std::string_view::npos ||
        output.find("permission denied") != std::string_view::npos)
        return FileResult::Refused;
    return FileResult::Failed;
}

namespace {

std::uint64_t size_of(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

// adb's last line of output, for a message: its error says what went wrong.
std::string last_line(std::string_view output) {
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.remove_suffix(1);
    const std::size_t lf = output.find_last_of('\n');
    std::string_view line = lf == std::string_view::npos ? output : output.substr(lf + 1);
    if (line.size() > 300) line = line.substr(0, 300);
    return std::string(line);
}

// Runs one transfer into `local` and judges it: the shared part of pulling and
// streaming. `run_transfer` starts the transfer with the watch it is given;
// `judge_adb_report` compares the byte count a pull prints.
template <typename Run>
FileOutcome transfer(const std::string& remote, const std::string& local, std::uint64_t expected,
                     const TransferControl& control, const char* method, Run&& run_transfer,
                     bool judge_adb_report) {
    FileOutcome outcome;
    outcome.remote = remote;
    outcome.local = local;
    outcome.method = method;
    outcome.expected = expected;
    const auto give_up = [&](FileResult result, std::string detail) {
        outcome.result = result;
        outcome.detail = std::move(detail);
        std::error_code ec;
        std::filesystem::remove(local, ec);
        return outcome;
    };
    if (control.stopped()) return give_up(FileResult::Stopped, {});
    // The copy is private from its first byte: adb creates the file with the
    // user's umask, which may let others read it.
    if (!create_private_file(local)) return give_up(FileResult::Failed, "cannot create " + local);

    platform::RunWatch watch;
    watch.stop = control.stop;
    watch.progress = [&local] { return size_of(local); };
    if (control.on_progress)
        watch.on_progress = [&](std::uint64_t bytes) { control.on_progress({remote, bytes, expected}); };
    const platform::CapturedRun run = run_transfer(watch);
    make_private(local);
    outcome.bytes = size_of(local);

    if (run.stopped || control.stopped()) return give_up(FileResult::Stopped, {});
    if (run.stalled) return give_up(FileResult::Stalled, {});
    if (!run.started) return give_up(FileResult::Failed, "the adb helper could not be started");
    if (run.killed) return give_up(FileResult::Failed, "adb did not end");
    if (run.exit_code != 0) return give_up(failure_kind(run.output), last_line(run.output));
    if (judge_adb_report) {
        const auto reported = pulled_byte_count(run.output);
        if (!expected && reported) outcome.expected = *reported;
        if (reported && *reported != outcome.bytes) return give_up(FileResult::Cut, {});
    }
    if (outcome.expected && outcome.expected != outcome.bytes) return give_up(FileResult::Cut, {});
    if (!outcome.expected && !judge_adb_report && outcome.bytes == 0)
        return give_up(FileResult::Failed, last_line(run.output).empty() ? "nothing arrived" : last_line(run.output));
    outcome.result = FileResult::Pulled;
    return outcome;
}

}  // namespace

FileOutcome pull_file(const DeviceLink& link, const std::string& remote, const std::string& local,
                      std::uint64_t expected, const TransferControl& control) {
    return transfer(
        remote, local, expected, control, "pull",
        [&](platform::RunWatch watch) {
            watch.stall_limit = link.helper().stall_limit;
            return link.run({"pull", remote, local}, std::move(watch));
        },
        true);
}

FileOutcome stream_file(const DeviceLink& link, const std::string& line, const std::string& remote,
                        const std::string& local, std::uint64_t expected, const TransferControl& control,
                        bool& unsupported) {
    unsupported = false;
    FileOutcome outcome = transfer(
        remote, local, expected, control, "exec-out cat",
        [&](platform::RunWatch watch) {
            platform::CapturedRun run;
            const platform::UniqueFd fd(::open(local.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW));
            if (!fd.valid()) return run;
            watch.stall_limit = link.helper().stall_limit;
            watch.stdout_fd = fd.get();
            run = link.exec_out(line, std::move(watch));
            unsupported = exec_out_unsupported(run.output);
            return run;
        },
        false);
    return outcome;
}

}  // namespace quen::phone
