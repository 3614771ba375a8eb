#include "cdr/engine/engine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "cdr/engine/carve_options.h"
#include "cdr/engine/carve_reader.h"
#include "cdr/engine/chunk_search.h"
#include "cdr/formats/format_table.h"

namespace quen::cdr {

namespace {

constexpr size_t kMaxInputName = 512;

void init_state(CarveState& st, CdrNode& node, const CarveRunConfig& cfg) {
    st.extent_start = node.start_offset;
    st.extent_length = node.length;
    st.node = &node;
    st.progress = cfg.progress;
    st.on_text = cfg.on_text;
}

// One SearchSpec per row; its file-type node becomes the last child
// of the scanned node, so a type that finds nothing still has its node.
void set_up(CarveState& st, const FormatRow& row) {
    SearchSpec s = spec_from_row(row);
    s.type_node = st.node->add_child(CdrKind::FileType, s.extension);
    st.specs.push_back(std::move(s));
}

CarveResult input_error(const CarveState& st, const std::string& program, const std::string& name,
                        const char* why) {
    CarveResult r;
    r.status = CarveStatus::InputError;
    r.message = program + ": " + name + ": " + why + "\n";
    if (!st.quiet) st.say(EngineText::Error, r.message);
    return r;
}

CarveResult process_input(CarveState& st, const CarveRunConfig& cfg, const std::string& program) {
    if (st.input_name.empty()) return input_error(st, program, "(no input)", std::strerror(ENOENT));
    std::error_code ec;
    const std::string input = std::filesystem::absolute(st.input_name, ec).string();
    if (ec) return input_error(st, program, st.input_name, ec.message().c_str());
    if (input.size() >= kMaxInputName) return input_error(st, program, st.input_name, std::strerror(ENAMETOOLONG));
    if (!st.quiet) st.say(EngineText::Progress, "Processing: " + input + "\n|");

    const int fd = st.node->read_fd();
    if (fd < 0 && !cfg.source) return input_error(st, program, input, std::strerror(EBADF));

    uint64_t max_window = 0;
    for (const SearchSpec& s : st.specs)
        if (!s.fetches) max_window = std::max(max_window, s.max_length);
    FdSource fd_source(fd);
    ByteSource& source = cfg.source ? *cfg.source : fd_source;
    std::unique_ptr<CarveReader> reader;
    if (cfg.reader == ReaderKind::ReadAhead)
        reader = ReadAheadReader::create(source, st.chunk_bytes(), max_window);
    if (!reader) reader = std::make_unique<DirectReader>(source, st.chunk_bytes(), st.on_text);

    CarveResult result;
    ChunkSearcher searcher(st, *reader);
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
        if (reader->lost()) break;  // what was read before it went is searched
        if (!st.quiet && st.progress && st.progress(end, position, nullptr) == kProgressStop) {
            result.status = CarveStatus::Stopped;
            break;
        }
    }
    if (!st.quiet) st.say(EngineText::Progress, "|\n");
    if (reader->lost() && result.status == CarveStatus::Done) {
        // Only part of the extent was searched: that is a failure, not a
        // shorter disk.
        result.status = CarveStatus::DeviceLost;
        result.message = program + ": " + input + ": the device stopped answering at byte " +
                         std::to_string(position) + " of " + std::to_string(end) + " (" +
                         std::strerror(reader->lost_error()) + ")\n";
        if (!st.quiet) st.say(EngineText::Error, result.message);
    }
    result.unreadable = reader->unreadable();
    result.bytes_read = reader->bytes_read();
    result.files_found = st.files_found;
    return result;
}

// The argument vector a whole-disk carve runs: quick mode, the type list if
// any, and the node's path as input name.
std::vector<std::string> disk_arguments(const std::string& input, const std::string& types) {
    std::vector<std::string> args{"search", "-q"};
    if (!types.empty()) {
        args.push_back("-t");
        args.push_back(types);
    }
    args.push_back("-i");
    args.push_back(input);
    return args;
}

}  // namespace

CarveResult carve_run(CdrNode& node, const std::vector<std::string>& args, const FormatCatalog& catalog,
                      const CarveRunConfig& cfg) {
    const std::string program = args.empty() ? std::string("search") : args[0];
    CarveState st;
    init_state(st, node, cfg);
    OptionOutcome parsed = parse_carve_options(args, catalog, cfg.posixly_correct, st);
    if (parsed.status != CarveStatus::Done) {
        CarveResult r;
        r.status = parsed.status;
        r.message = std::move(parsed.message);
        return r;
    }
    if (parsed.rows.empty()) parsed.rows = catalog.rows_for_name("all");
    for (const FormatRow& row : parsed.rows) set_up(st, row);
    return process_input(st, cfg, program);
}

std::string scan_type_list(uint32_t groups) {
    std::string list;
    auto add = [&list](const char* names) {
        if (!list.empty()) list += ',';
        list += names;
    };
    if (groups & kScanPictures) add("jpg,png,gif,bmp");
    if (groups & kScanVideo) add("mpg,avi,wmv,mov,wav,vjpeg,rif");
    if (groups & kScanDocuments) add("pdf,doc,htm,xls,ppt,cpp,sxw,sxc,sxi,wpd");
    return list;
}

CarveResult carve_disk(CdrNode& node, const CarveDiskOptions& options, const ProgressFn& progress) {
    if (!options.types.empty() && options.on_text) options.on_text(EngineText::Progress, "-t: " + options.types + "\n");
    CarveRunConfig cfg;
    cfg.progress = progress;
    cfg.on_text = options.on_text;
    cfg.reader = options.reader;
    return carve_run(node, disk_arguments(node.path, options.types), builtin_catalog(), cfg);
}

}  // namespace quen::cdr
