#include "cdr/engine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

#include "cdr/carve_options.h"
#include "cdr/carve_reader.h"
#include "cdr/carve_search.h"
#include "cdr/spec_from_row.h"

namespace quen::cdr {

namespace {

constexpr size_t kMaxInvocation = 1024;
constexpr size_t kMaxInputName = 512;

std::string absolute_or_plain(const std::string& text) {
    std::error_code ec;
    const auto p = std::filesystem::absolute(text, ec);
    return ec ? text : p.string();
}

void init_state(CarveState& st, const std::vector<std::string>& args, CdrNode& node,
                const CarveRunConfig& cfg) {
    st.config_file = absolute_or_plain("search.conf");
    st.output_dir = absolute_or_plain("output");
    const std::time_t now = std::time(nullptr);
    char when[64] = {0};
    if (ctime_r(&now, when)) st.start_time = when;
    for (const std::string& a : args) {
        if (!st.invocation.empty()) st.invocation += ' ';
        st.invocation += a;
    }
    if (st.invocation.size() > kMaxInvocation - 1) st.invocation.resize(kMaxInvocation - 1);
    st.extent_start = node.start_offset;
    st.extent_length = node.length;
    st.node = &node;
    st.progress = cfg.progress;
}

// One SearchSpec per row; its file-type node becomes the last child
// of the scanned node, so a type that finds nothing still has its node.
void set_up(CarveState& st, const FormatRow& row) {
    SearchSpec s = spec_from_row(row);
    s.type_node = st.node->add_child(CdrKind::FileType, s.extension);
    st.specs.push_back(std::move(s));
}

CarveResult input_error(const CarveState& st, const CarveRunConfig& cfg, const std::string& program,
                        const std::string& name, const char* why) {
    CarveResult r;
    r.status = CarveStatus::InputError;
    r.message = program + ": " + name + ": " + why + "\n";
    if (cfg.messages && !st.quiet()) std::fputs(r.message.c_str(), cfg.messages);
    return r;
}

CarveResult process_input(CarveState& st, const FormatCatalog& catalog, const CarveRunConfig& cfg,
                          const std::string& program) {
    if (st.input_name.empty())
        return input_error(st, cfg, program, "(no input)", std::strerror(ENOENT));
    std::error_code ec;
    const std::string input = std::filesystem::absolute(st.input_name, ec).string();
    if (ec) return input_error(st, cfg, program, st.input_name, ec.message().c_str());
    if (input.size() >= kMaxInputName)
        return input_error(st, cfg, program, st.input_name, std::strerror(ENAMETOOLONG));
    if (cfg.messages && !st.quiet()) std::fprintf(cfg.messages, "Processing: %s\n|", input.c_str());

    const int fd = st.node->read_fd();
    if (fd < 0) return input_error(st, cfg, program, input, std::strerror(EBADF));

    uint64_t max_window = 0;
    for (const SearchSpec& s : st.specs) max_window = std::max(max_window, s.max_length);
    FdSource source(fd);
    std::unique_ptr<CarveReader> reader;
    if (cfg.reader == ReaderKind::ReadAhead)
        reader = ReadAheadReader::create(source, st.chunk_bytes(), max_window);
    if (!reader) reader = std::make_unique<DirectReader>(source, st.chunk_bytes(), cfg.messages);

    CarveResult result;
    ChunkSearcher searcher(st, catalog, *reader);
    uint64_t position = st.extent_start;
    const uint64_t end = st.extent_end();
    while (position < end) {
        // Always a whole chunk: the last one may reach past the extent, up
        // to the device's end.
        const std::span<const uint8_t> chunk = reader->chunk(position, st.chunk_bytes());
        if (chunk.empty()) break;
        if (!searcher.search(chunk, position)) {
            result.status = CarveStatus::Stopped;
            break;
        }
        position += chunk.size();
        if (!st.quiet() && st.progress && st.progress(end, position, nullptr) == kProgressStop) {
            result.status = CarveStatus::Stopped;
            break;
        }
    }
    if (cfg.messages && !st.quiet()) std::fputs("|\n", cfg.messages);
    result.bytes_read = reader->bytes_read();
    result.files_found = st.files_found;
    return result;
}

}  // namespace

CarveResult carve_run(const std::vector<std::string>& args, CdrNode& node,
                      const FormatCatalog& catalog, const CarveRunConfig& cfg) {
    const std::string program = args.empty() ? std::string("search") : args[0];
    CarveState st;
    init_state(st, args, node, cfg);
    OptionOutcome parsed = parse_carve_options(args, st, catalog, cfg.posixly_correct);
    if (parsed.status != CarveStatus::Done) {
        CarveResult r;
        r.status = parsed.status;
        r.message = std::move(parsed.message);
        return r;
    }
    if (parsed.rows.empty()) parsed.rows = catalog.rows_for_name("all");
    for (const FormatRow& row : parsed.rows) set_up(st, row);
    return process_input(st, catalog, cfg, program);
}

std::vector<std::string> scan_arguments(const std::string& input, const std::string& types) {
    std::vector<std::string> args{"search", "-q"};
    if (!types.empty()) {
        args.push_back("-t");
        args.push_back(types);
    }
    args.push_back("-i");
    args.push_back(input);
    return args;
}

}  // namespace quen::cdr
