#include "phone/adb_runner.h"

#include <unistd.h>

#include "platform/paths.h"

namespace quen::phone {

std::string adb_helper_program(const AdbHelper& helper) {
    if (!helper.path.empty()) return helper.path;
    const std::string folder = platform::program_folder();
    if (!folder.empty()) {
        const std::string beside = folder + "/" + kAdbHelperFileName;
        if (::access(beside.c_str(), X_OK) == 0) return beside;
    }
    return kAdbFallbackName;
}

namespace {

std::vector<std::string> command(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv;
    argv.reserve(arguments.size() + 1);
    argv.push_back(program);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

}  // namespace

std::string adb_run(const AdbHelper& helper, const std::vector<std::string>& arguments) {
    const std::string program = adb_helper_program(helper);
    platform::run_detached(command(program, {"start-server"}), helper.server_limit);
    return platform::run_captured(command(program, arguments), helper.command_limit).output;
}

void adb_run_detached(const AdbHelper& helper, const std::vector<std::string>& arguments) {
    platform::run_detached(command(adb_helper_program(helper), arguments), helper.server_limit);
}

void adb_kill_server(const AdbHelper& helper) { adb_run_detached(helper, {"kill-server"}); }

DeviceState adb_devices_state(const AdbHelper& helper) {
    return parse_device_listing(adb_run(helper, {"devices"}));
}

}  // namespace quen::phone
