#pragma once
// Progress of long work on stderr: a one-line bar redrawn in place when stderr
// is a terminal, plain lines otherwise, nothing with --quiet.
#include <chrono>
#include <cstdint>
#include <string>

namespace quen::cli {

class ProgressLine {
public:
    explicit ProgressLine(bool quiet);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // A step of a sequence ("3/8 reading contacts"); always its own line when
    // not on a terminal.
    void step(const std::string& text);
    // done of total bytes with rate and time left; on a pipe at most one line
    // per whole percent so logs stay short.
    void bytes(uint64_t done, uint64_t total, const std::string& label);
    // Ends the bar's line so later output starts clean.
    void finish();

    bool is_terminal() const { return tty_; }

private:
    void draw(const std::string& text);
    bool quiet_;
    bool tty_;
    bool open_line_ = false;
    int last_percent_ = -1;
    std::chrono::steady_clock::time_point start_;
};

// "12.3 MB/s", "1h02m", ... helpers shared by the commands that print rates.
std::string rate_text(double bytes_per_second);
std::string duration_text(double seconds);

}  // namespace quen::cli
