#pragma once
// One phone, reached through the adb helper with "-s <serial>" on every
// command, so that the phone the listing chose is the one read even when
// several are attached.
//
// Command lines sent (besides those of adb_runner.h):
//   -s S shell <command line>       the phone's shell runs the line; text output
//   -s S exec-out <command line>    the same, stdout passed byte for byte (no
//                                   terminal in between); Android 5 and later
//   -s S pull <remote> <local>      a file, into a local file
//   -s S root / unroot              restart the phone's adbd as root and back
//   -s S wait-for-device            waits until the phone is back after a restart
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "phone/adb_runner.h"

namespace quen::phone {

class DeviceLink {
public:
    DeviceLink(AdbHelper helper, std::string serial) : helper_(std::move(helper)), serial_(std::move(serial)) {}

    const AdbHelper& helper() const { return helper_; }
    const std::string& serial() const { return serial_; }
    // The same phone through a helper that ignores a stop: for putting back
    // what was changed on the phone, which must happen however the run ends.
    DeviceLink unstoppable() const {
        AdbHelper helper = helper_;
        helper.stop = nullptr;
        return DeviceLink(std::move(helper), serial_);
    }

    // adb with "-s <serial>" before the arguments.
    platform::CapturedRun run(const std::vector<std::string>& arguments, platform::RunWatch watch = {}) const;
    // "shell <line>": the whole line is one argument; the phone's shell splits
    // it, so quoting in it is the phone shell's quoting.
    platform::CapturedRun shell(const std::string& line, std::chrono::milliseconds limit = {}) const;
    // "exec-out <line>", watched (into a file when watch.stdout_fd is set).
    platform::CapturedRun exec_out(const std::string& line, platform::RunWatch watch = {}) const;

private:
    AdbHelper helper_;
    std::string serial_;
};

// Output of a shell command run on a terminal (Android before 7 runs every
// shell command on one, which writes each line feed as CR LF) with that
// carriage return removed again: one CR before each LF. Used on every text
// output, where a CR of the phone's own never matters.
std::string shell_text(std::string_view output);

// `text` as one single-quoted word of the phone's shell.
std::string shell_quote(std::string_view text);

// Whether adb's output says the phone does not know "exec-out" (its adbd
// predates Android 5).
bool exec_out_unsupported(std::string_view output);

}  // namespace quen::phone
