#include "phone/device_link.h"

namespace quen::phone {

platform::CapturedRun DeviceLink::run(const std::vector<std::string>& arguments, platform::RunWatch watch) const {
    std::vector<std::string> with_serial;
    with_serial.reserve(arguments.size() + 2);
    if (!serial_.empty()) {
        with_serial.push_back("-s");
        with_serial.push_back(serial_);
    }
    with_serial.insert(with_serial.end(), arguments.begin(), arguments.end());
    return adb_run_watched(helper_, with_serial, std::move(watch));
}

platform::CapturedRun DeviceLink::shell(const std::string& line, std::chrono::milliseconds limit) const {
    platform::RunWatch watch;
    watch.limit = limit;
    return run({"shell", line}, watch);
}

platform::CapturedRun DeviceLink::exec_out(const std::string& line, platform::RunWatch watch) const {
    return run({"exec-out", line}, std::move(watch));
}

std::string shell_text(std::string_view output) {
    std::string text;
    text.reserve(output.size());
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (output[i] == '\r' && i + 1 < output.size() && output[i + 1] == '\n') continue;
        text.push_back(output[i]);
    }
    return text;
}

std::string shell_quote(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += "'\\''";
        else quoted.push_back(c);
    }
    return quoted + "'";
}

bool exec_out_unsupported(std::string_view output) {
    // What adb prints when the phone's adbd closes the connection on a
    // service it does not know.
    return output.find("error: closed") != std::string_view::npos;
}

}  // namespace quen::phone
