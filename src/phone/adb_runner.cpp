#include "phone/adb_runner.h"

#include <unistd.h>

#include <cstdlib>

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
    return adb_run_watched(helper, arguments).output;
}

platform::CapturedRun adb_run_watched(const AdbHelper& helper, const std::vector<std::string>& arguments,
                                      platform::RunWatch watch) {
    if (!watch.stop) watch.stop = helper.stop;
    if (watch.stop && watch.stop->load()) {
        platform::CapturedRun stopped;
        stopped.started = true;  // the helper is there; the run was not wanted any more
        stopped.killed = stopped.stopped = true;
        return stopped;
    }
    const std::string program = adb_helper_program(helper);
    platform::run_detached(command(program, {"start-server"}), helper.server_limit);
    if (watch.limit.count() == 0 && watch.stall_limit.count() == 0) watch.limit = helper.command_limit;
    return platform::run_watched(command(program, arguments), watch);
}

void adb_run_detached(const AdbHelper& helper, const std::vector<std::string>& arguments) {
    platform::run_detached(command(adb_helper_program(helper), arguments), helper.server_limit);
}

void adb_kill_server(const AdbHelper& helper) { adb_run_detached(helper, {"kill-server"}); }

ListedDevice adb_list_devices(const AdbHelper& helper) {
    const platform::CapturedRun run = adb_run_watched(helper, {"devices"});
    if (!run.started) {
        ListedDevice none;
        none.state = DeviceState::NoHelper;
        return none;
    }
    return select_device(run.output, wanted_serial(helper));
}

std::string wanted_serial(const AdbHelper& helper) {
    if (!helper.serial.empty()) return helper.serial;
    const char* env = std::getenv("ANDROID_SERIAL");
    return env ? env : "";
}

DeviceState adb_devices_state(const AdbHelper& helper) { return adb_list_devices(helper).state; }

}  // namespace quen::phone
