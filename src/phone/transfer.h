#pragma once
// Copying one file from the phone into the work folder, checked: a transfer is
// bounded by its progress (not by a fixed time, which cut large databases on
// slow links), and a copy that did not arrive whole is named, never read as if
// it were the database.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "phone/device_link.h"

namespace quen::phone {

// Where a transfer stands: bytes written so far of `total` (0 when the size on
// the phone is not known).
struct TransferProgress {
    std::string remote;
    std::uint64_t bytes = 0;
    std::uint64_t total = 0;
};

// What a transfer is told from outside: a stop request (Ctrl-C, the window
// closing) and where to report progress. Both may be empty.
struct TransferControl {
    const std::atomic<bool>* stop = nullptr;
    std::function<void(const TransferProgress&)> on_progress;

    bool stopped() const { return stop && stop->load(); }
};

enum class FileResult {
    Pulled,   // the whole file is in the work folder
    Absent,   // the phone has no such file
    Refused,  // the phone would not give it (no permission)
    Cut,      // fewer (or more) bytes arrived than the file holds
    Stalled,  // no byte arrived for the stall limit; the transfer was ended
    Failed,   // the transfer failed otherwise (adb's message in `detail`)
    Stopped,  // stopped on request; the partial copy was deleted
};

// "pulled", "absent", "refused", "cut", "stalled", "failed", "stopped".
const char* file_result_name(FileResult result);

// True for the results that mean: the phone has the file, but the work folder
// does not have it whole.
bool lost_in_transfer(FileResult result);

struct FileOutcome {
    std::string remote;
    std::string local;
    FileResult result = FileResult::Absent;
    std::uint64_t bytes = 0;     // bytes in the work copy (before a cut copy was deleted)
    std::uint64_t expected = 0;  // the file's size as the phone or adb reported it; 0 when unknown
    std::string method;          // how it was copied: "pull", "exec-out cat", "pull after chmod"
    std::string detail;          // adb's own words when it failed
};

// "absent", "refused (Permission denied)", "cut: 4096 of 1048576 bytes arrived",
// ...: one line for the user.
std::string describe_outcome(const FileOutcome& outcome);

// The byte count adb prints when a pull ends ("... (12345 bytes in 0.040s)").
std::optional<std::uint64_t> pulled_byte_count(std::string_view output);

// Sorts adb's message about a failed transfer: no such file (Absent), no
// permission (Refused), anything else (Failed).
FileResult failure_kind(std::string_view output);

// "pull <remote> <local>", watched for stalls, into a private file. The copy
// counts as whole when adb ended by itself with status 0, and its size equals
// both the byte count adb reports and `expected` (when known, else 0). Anything
// else deletes the local file and says why.
FileOutcome pull_file(const DeviceLink& link, const std::string& remote, const std::string& local,
                      std::uint64_t expected, const TransferControl& control);

// "exec-out <line>" with stdout into a private file, watched for stalls: the
// bytes of a file that a command (cat run as root) writes, passed through
// without a terminal, so the copy is byte for byte. Whole when the size equals
// `expected` (when known; else when anything arrived). `unsupported` is set
// when the phone's adbd does not know exec-out.
FileOutcome stream_file(const DeviceLink& link, const std::string& line, const std::string& remote,
                        const std::string& local, std::uint64_t expected, const TransferControl& control,
                        bool& unsupported);

}  // namespace quen::phone
