#pragma once
// Running the programs of the build from a test, the way a user runs them:
// where they lie, quoting for the shell, capturing stdout and the exit code.
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>

namespace quen::test {

// The programs the user runs lie together in <build>/bin; the tools that play
// a phone or make sample data lie in their own folders under <build>/tools.
inline const std::string kCliProgram = QUEN_BINARY_DIR "/bin/quenfora-cli";
inline const std::string kPhoneSimProgram = QUEN_BINARY_DIR "/tools/phone-sim/phone-sim";
inline const std::string kMakeSamplePhoneProgram = QUEN_BINARY_DIR "/tools/make-sample-phone/make-sample-phone";

// `text` as one single-quoted shell word.
inline std::string shell_quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a shell command line as given; its stdout and exit code (-1 when it
// could not be started or did not exit normally).
inline std::pair<std::string, int> run_command(const std::string& line) {
    std::string out;
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe) return {"", -1};
    char buf[65536];
    size_t got;
    while ((got = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, got);
    const int status = pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

}  // namespace quen::test
