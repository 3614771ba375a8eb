#pragma once
// The phone's shell, as far as the recovery uses it: a command line split into
// words as sh does, and the few commands it sends (id, getprop, su, sh -c,
// stat, ls -l, cat, chmod, content query).
#include <string>
#include <string_view>
#include <vector>

#include "sim_folder.h"

namespace phone_sim {

struct Output {
    std::string out;
    std::string err;
    int code = 0;
};

// Words of a shell line: blanks separate them; '...' keeps everything, "..."
// everything but \" and \\; adjacent quoted and plain parts join. `ok` is false
// for an unclosed quote.
std::vector<std::string> split_words(std::string_view line, bool& ok);

// Runs one line as the shell user, or as root.
Output run_line(const Folder& folder, const std::string& line, bool as_root);
// Runs one command already split into words ("2>/dev/null" among them drops
// its error output).
Output run_words(const Folder& folder, std::vector<std::string> words, bool as_root);

}  // namespace phone_sim
