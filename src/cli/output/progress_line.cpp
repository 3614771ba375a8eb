#include "cli/output/progress_line.h"

#include <cstdio>
#include <unistd.h>

namespace quen::cli {

ProgressLine::ProgressLine(bool quiet)
    : quiet_(quiet), tty_(isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() { finish(); }

void ProgressLine::draw(const std::string& text) {
    if (quiet_) return;
    if (tty_) {
        std::fprintf(stderr, "\r\033[K%s", text.c_str());
        open_line_ = true;
    } else {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    std::fflush(stderr);
}

void ProgressLine::step(const std::string& text) { draw(text); }

void ProgressLine::bytes(uint64_t done, uint64_t total, const std::string& label) {
    if (quiet_) return;
    // A count past the total (a device that grew, a read that ran over) is
    // shown as 100%: the bar is never wider than its frame.
    if (done > total) done = total;
    const int percent = total ? static_cast<int>(done * 100 / total) : 100;
    if (!tty_ && percent == last_percent_) return;
    last_percent_ = percent;
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double rate = secs > 0 ? done / secs : 0;
    std::string text = label + " " + std::to_string(percent) + "%  " + rate_text(rate);
    if (rate > 0 && total > done) text += "  " + duration_text((total - done) / rate) + " left";
    if (tty_) {
        const int width = 30;
        const int filled = percent * width / 100;
        // Built by appending: g++ 12 at -O2 warns falsely (-Wrestrict) on
        // the same text made with operator+.
        std::string bar = "[";
        bar.append(filled, '#');
        bar.append(width - filled, '.');
        bar += "] ";
        text.insert(0, bar);
    }
    draw(text);
}

void ProgressLine::finish() {
    if (quiet_ || !open_line_) return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    open_line_ = false;
}

std::string rate_text(double bytes_per_second) {
    char buf[64];
    if (bytes_per_second >= 1e9) std::snprintf(buf, sizeof buf, "%.2f GB/s", bytes_per_second / 1e9);
    else if (bytes_per_second >= 1e6) std::snprintf(buf, sizeof buf, "%.1f MB/s", bytes_per_second / 1e6);
    else std::snprintf(buf, sizeof buf, "%.0f kB/s", bytes_per_second / 1e3);
    return buf;
}

std::string duration_text(double seconds) {
    char buf[64];
    const long whole = static_cast<long>(seconds + 0.5);
    if (whole >= 3600) std::snprintf(buf, sizeof buf, "%ldh%02ldm", whole / 3600, (whole / 60) % 60);
    else if (whole >= 60) std::snprintf(buf, sizeof buf, "%ldm%02lds", whole / 60, whole % 60);
    else std::snprintf(buf, sizeof buf, "%lds", whole);
    return buf;
}

}  // namespace quen::cli
