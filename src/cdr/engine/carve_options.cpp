#include "cdr/engine/carve_options.h"

#include <charconv>

#include "cdr/engine/option_scanner.h"

namespace quen::cdr {

namespace {

constexpr const char* kOptString = "qQvdawmTt:i:o:c:b:k:s:hV";
constexpr uint64_t kMaxChunkMiB = 1024;

bool parse_number(const std::string& text, uint64_t& out) {
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, out);
    return !text.empty() && ec == std::errc() && ptr == last;
}

OptionOutcome failure(CarveStatus status, std::string message) {
    OptionOutcome o;
    o.status = status;
    o.message = std::move(message);
    return o;
}

std::string try_help(const std::string& program) {
    return "Try `" + program + " -h` for more information.\n";
}

}  // namespace

std::string carve_usage(const std::string& program) {
    return "Usage: " + program + " [options] -i INPUT\n"
           "Finds files of known types in a raw disk by their header and footer bytes.\n"
           "  -q        quick mode: look for headers only at block-size boundaries\n"
           "  -Q        quiet: no progress text and no per-chunk progress calls\n"
           "  -v        verbose\n"
           "  -d        detect indirect blocks (accepted, no effect)\n"
           "  -a        record every header, without error detection\n"
           "  -w        audit only\n"
           "  -m        mode flag 128\n"
           "  -T        time-stamp flag\n"
           "  -t LIST   comma-separated file types to look for (default: all)\n"
           "  -i FILE   the input\n"
           "  -o DIR    output directory (kept, nothing is written)\n"
           "  -c FILE   configuration file (kept, not read)\n"
           "  -b N      block size in bytes (default 512)\n"
           "  -k N      chunk size in MiB (default 4, at most 1024)\n"
           "  -s N      blocks to skip (kept)\n"
           "  -h        this text\n"
           "  -V        the version\n";
}

std::string carve_version_text() {
    return std::string(kEngineVersion) + "\nQuenfora Corvalin carving engine.\n";
}

OptionOutcome parse_carve_options(const std::vector<std::string>& args, const FormatCatalog& catalog,
                                  bool posixly_correct, CarveState& st) {
    OptionOutcome out;
    const std::string program = args.empty() ? std::string("search") : args[0];
    OptionScanner scan(args, kOptString, posixly_correct);
    for (;;) {
        const OptionScanner::Item it = scan.next();
        using Kind = OptionScanner::Kind;
        if (it.kind == Kind::End) break;
        if (it.kind == Kind::Operand) continue;  // the engine takes no operands
        if (it.kind == Kind::Invalid)
            return failure(CarveStatus::UsageError, program + ": invalid option -- '" +
                                                        std::string(1, it.option) + "'\n" +
                                                        try_help(program));
        if (it.kind == Kind::MissingArgument)
            return failure(CarveStatus::UsageError, program + ": option requires an argument -- '" +
                                                        std::string(1, it.option) + "'\n" +
                                                        try_help(program));
        uint64_t number = 0;
        switch (it.option) {
            case 'q': st.quick = true; break;
            case 'Q': st.quiet = true; break;
            case 'a': st.write_all = true; break;
            case 'i': st.input_name = it.text; break;
            // Kept for the option surface; no audit file, configuration file
            // or output folder exists, and indirect blocks are not looked for.
            case 'v':
            case 'd':
            case 'w':
            case 'm':
            case 'T':
            case 'o':
            case 'c': break;
            case 'h': return failure(CarveStatus::Help, carve_usage(program));
            case 'V': return failure(CarveStatus::Version, carve_version_text());
            case 'b':
            case 'k':
            case 's':
                // A block or chunk size of 0 would divide by zero or read
                // nothing; a number that does not parse is refused, not read as 0.
                if (!parse_number(it.text, number) ||
                    (it.option == 'b' && (number == 0 || number > UINT32_MAX)) ||
                    (it.option == 'k' && (number == 0 || number > kMaxChunkMiB)))
                    return failure(CarveStatus::UsageError, program + ": invalid number for -" +
                                                                std::string(1, it.option) + ": '" +
                                                                it.text + "'\n" + try_help(program));
                // -s is checked like the others but changes nothing: a
                // run always starts at the extent's start.
                if (it.option == 'b') st.block_size = static_cast<uint32_t>(number);
                else if (it.option == 'k') st.chunk_mib = static_cast<uint32_t>(number);
                break;
            case 't': {
                size_t from = 0;
                while (from <= it.text.size()) {
                    size_t comma = it.text.find(',', from);
                    if (comma == std::string::npos) comma = it.text.size();
                    const std::string name = it.text.substr(from, comma - from);
                    from = comma + 1;
                    if (name.empty()) continue;
                    std::vector<FormatRow> rows = catalog.rows_for_name(name);
                    if (rows.empty())
                        return failure(CarveStatus::UsageError, program + ": unknown file type '" +
                                                                    name + "'\n" + carve_usage(program));
                    for (auto& r : rows) out.rows.push_back(std::move(r));
                    if (out.rows.size() > kMaxSpecs)
                        return failure(CarveStatus::UsageError,
                                       program + ": more than " + std::to_string(kMaxSpecs) +
                                           " file types\n");
                }
                break;
            }
            default:
                return failure(CarveStatus::UsageError, try_help(program));
        }
    }
    if (st.block_size > st.chunk_bytes())
        return failure(CarveStatus::UsageError,
                       program + ": the block size exceeds the chunk size\n" + try_help(program));
    return out;
}

}  // namespace quen::cdr
