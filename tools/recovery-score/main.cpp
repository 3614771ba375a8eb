// recovery-score: runs the recovery engine over test cases that carry answer
// keys (NAME.key.json, as make-sqlite-cases and make-sample-phone write
// them) and prints, per case family, how many of the deleted rows that
// survive in the files came back (recall) and how many of the deleted
// records reported are rows the case really deleted (precision), with the
// live rows wrongly shown deleted.
//
//   recovery-score FOLDER... [--verbose]
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "score.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> keys;
    bool verbose = false;
    for (int arg = 1; arg < argc; ++arg) {
        if (std::strcmp(argv[arg], "--verbose") == 0) {
            verbose = true;
            continue;
        }
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(argv[arg], ec); !ec && it != fs::recursive_directory_iterator(); ++it)
            if (it->path().string().ends_with(".key.json")) keys.push_back(it->path());
    }
    if (keys.empty()) {
        std::fprintf(stderr, "usage: recovery-score FOLDER... [--verbose]  (no answer keys found)\n");
        return 2;
    }
    std::sort(keys.begin(), keys.end());
    std::map<std::string, quen::recovery_score::Tally> tallies;
    int unreadable = 0;
    for (const fs::path& key : keys) unreadable += !quen::recovery_score::score_case(key, tallies, verbose, stdout);
    quen::recovery_score::print_tallies(tallies, stdout);
    return unreadable ? 1 : 0;
}
