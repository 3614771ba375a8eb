#pragma once
// The engine's own command-line surface: its options, usage and version text.
//
//   -q quick mode   -Q quiet   -v verbose   -d indirect blocks   -a write all
//   -w audit only   -m flag 128   -T time stamps   -t LIST types   -i FILE input
//   -o DIR output   -c FILE configuration   -b N block size   -k N chunk MiB
//   -s N skip blocks   -h usage   -V version
//
// Parsing never ends the process: help, version and every error come back as
// an outcome for the caller to show.
#include <string>
#include <vector>

#include "cdr/engine/carve_state.h"
#include "cdr/engine/search_spec.h"

namespace quen::cdr {

struct OptionOutcome {
    CarveStatus status = CarveStatus::Done;  // Done: go on with the run
    std::string message;                     // usage, version or error text
    std::vector<FormatRow> rows;             // the -t rows, in order
};

// Sets the state's flags and values from args (args[0] is the program name);
// -t names are looked up in the catalog.
OptionOutcome parse_carve_options(const std::vector<std::string>& args, const FormatCatalog& catalog,
                                  bool posixly_correct, CarveState& state);

std::string carve_usage(const std::string& program);
std::string carve_version_text();

}  // namespace quen::cdr
