#pragma once
// Running a program through the shell from a test, the way a user runs it:
// quoting for the shell, capturing stdout and the exit code.
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>

namespace quen::test_support {

// `s` as one single-quoted shell word.
inline std::string shell_quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a shell command line as given; its stdout and exit code (-1 when it
// could not be started or did not exit normally).
inline std::pair<std::string, int> run_command(const std::string& line) {
    std::string out;
    FILE* p = popen(line.c_str(), "r");
    if (!p) return {"", -1};
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int status = pclose(p);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

}  // namespace quen::test_support
