#pragma once
// Scoring the recovery engine against an answer key (NAME.key.json, as
// make-sqlite-cases and make-sample-phone write them): which deleted rows
// that survive in the case's files came back (recall), and how many of the
// deleted records reported are rows the case really deleted (precision).
// Shared by the recovery-score program and the tests.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

namespace quen::recovery_score {

struct Tally {
    int cases = 0;
    long surviving = 0;        // deleted rows whose bytes survive
    long recalled = 0;         // of those, reported as deleted
    long recalled_whole = 0;   // of those, with every value (rowid included)
    long reported = 0;         // deleted records reported
    long correct = 0;          // of those, a row the case deleted
    long live_as_deleted = 0;  // of those, a live row
    long unknown_table = 0;    // of those, in a table the case never wrote to

    void add(const Tally& other);
    double recall() const;
    double precision() const;
};

// Scores one case into `tallies` under its family; with `verbose`, prints
// every miss and every wrong record to `out`. False when the key or the
// database cannot be read.
bool score_case(const std::filesystem::path& key, std::map<std::string, Tally>& tallies, bool verbose,
                std::FILE* out);

// The table of tallies by family, with a line for all of them.
void print_tallies(const std::map<std::string, Tally>& tallies, std::FILE* out);

}  // namespace quen::recovery_score
