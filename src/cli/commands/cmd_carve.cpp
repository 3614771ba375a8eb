// quenfora-cli carve: carves one device or image file whole, in quick mode
// with the built-in table (or the given types), and lists the found files.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands/commands.h"
#include "cli/output/found_file_rows.h"
#include "cli/interrupt.h"
#include "cli/output/json_text.h"
#include "cli/output/progress_line.h"
#include "cli/recover_cli.h"
#include "cdr/disks/disk_image.h"
#include "cdr/engine/engine.h"

namespace quen::cli {
namespace {

struct CarveOptions {
    std::string source;
    std::string types;
    bool json = false;
    std::string out;  // --out DIR: write every found file out
};

void print_json(const std::string& source, const cdr::CdrNode& scanned, const cdr::CarveResult& r,
                const RecoverySummary* rec) {
    rapidjson::StringBuffer sb;
    rapidjson::Writer<rapidjson::StringBuffer> w(sb);
    w.StartObject();
    w.Key("source");
    write_text(w, source);
    w.Key("bytes_read");
    w.Uint64(r.bytes_read);
    write_unreadable_json(w, r.unreadable);
    w.Key("files");
    w.StartArray();
    for_each_found_file(scanned, [&](const cdr::CdrNode& type, const cdr::FoundFile& f) {
        write_found_file_json(w, type, f);
    });
    w.EndArray();
    if (rec) write_recovery_json(w, *rec);
    w.EndObject();
    std::printf("%s\n", sb.GetString());
}

void print_text(const cdr::CdrNode& scanned, const cdr::CarveResult& r) {
    for_each_found_file(scanned, [](const cdr::CdrNode& type, const cdr::FoundFile& f) {
        print_found_file_line("", type, f);
    });
    uint64_t unreadable = 0;
    for (const cdr::ByteRange& u : r.unreadable) unreadable += u.length;
    std::printf("%llu files found, %llu bytes read", static_cast<unsigned long long>(r.files_found),
                static_cast<unsigned long long>(r.bytes_read));
    if (unreadable) std::printf(", %llu bytes unreadable", static_cast<unsigned long long>(unreadable));
    std::printf("\n");
}

// The first line of an engine message, for a one-line error.
std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

int run_carve(const CarveOptions& o, const Globals& g) {
    auto root = cdr::make_root();
    std::string error;
    cdr::CdrNode* disk = cdr::cdr_add_image(o.source, *root, &error);
    if (!disk) {
        std::fprintf(stderr, "quenfora-cli: carve: %s\n", error.c_str());
        if (::access(o.source.c_str(), F_OK) == 0 && ::access(o.source.c_str(), R_OK) != 0)
            std::fprintf(stderr,
                         "quenfora-cli: carve: reading %s needs read permission: run as root, or add "
                         "your user to the group that owns it (usually \"disk\")\n",
                         o.source.c_str());
        return kExitFailed;
    }

    ProgressLine progress(g.quiet);
    const uint64_t start = disk->start_offset, length = disk->length;
    uint64_t shown = UINT64_MAX;
    cdr::CarveDiskOptions options;
    options.types = o.types;
    options.on_text = print_engine_warnings;
    auto on_progress = [&](uint64_t, uint64_t current, const cdr::FoundFile* found) {
        if (InterruptFlag::raised()) return cdr::kProgressStop;
        if (!found && current != shown && current >= start) {
            shown = current;
            progress.bytes(std::min(current - start, length), length, "carving");
        }
        return cdr::kProgressGoOn;
    };
    InterruptFlag interrupt;  // Ctrl-C asks the engine to stop at its next check
    const cdr::CarveResult r = cdr::carve_disk(*disk, options, on_progress);
    progress.finish();

    switch (r.status) {
        case cdr::CarveStatus::UsageError:
        case cdr::CarveStatus::Help:
        case cdr::CarveStatus::Version:
            std::fprintf(stderr, "quenfora-cli: carve: %s\n", first_line(r.message).c_str());
            return kExitUsage;
        case cdr::CarveStatus::InputError:
            std::fprintf(stderr, "quenfora-cli: carve: %s\n", first_line(r.message).c_str());
            return kExitFailed;
        case cdr::CarveStatus::DeviceLost:
        case cdr::CarveStatus::Done:
        case cdr::CarveStatus::Stopped:
            break;
    }
    print_unreadable("carve", r.unreadable);
    const bool lost = r.status == cdr::CarveStatus::DeviceLost;
    // What was found before the device went is listed; it cannot be written.
    if (lost) std::fprintf(stderr, "quenfora-cli: carve: %s\n", first_line(r.message).c_str());
    // --out DIR: the found files are written out from the tree before the
    // listing; a carve stopped by Ctrl-C writes nothing more.
    RecoverySummary rec;
    const bool recover = !o.out.empty() && r.status == cdr::CarveStatus::Done;
    if (recover) {
        const auto tree = cdr::build_scan_tree(*disk);
        rec = run_recovery(o.out, {tree.get()}, g.quiet);
    }
    if (o.json)
        print_json(o.source, *disk, r, recover ? &rec : nullptr);
    else
        print_text(*disk, r);
    if (recover && !o.json) print_recovery_text(rec);
    if (std::fflush(stdout) != 0 || lost) return kExitFailed;
    if (recover && recovery_exit_code(rec) != kExitDone) return recovery_exit_code(rec);
    return r.status == cdr::CarveStatus::Stopped ? kExitStopped : kExitDone;
}

}  // namespace

Command add_carve_command(CLI::App& app, const Globals& g) {
    Command c;
    c.sub = app.add_subcommand("carve",
                               "Carve one device or image file whole, in quick mode with the built-in "
                               "file types, and list the found files");
    auto o = std::make_shared<CarveOptions>();
    c.sub->add_option("SOURCE", o->source, "A disk device (e.g. /dev/sdb) or a disk image file")->required();
    c.sub->add_option("--types", o->types,
                      "Comma-separated file types instead of the built-in table (jpg, png, gif, bmp, "
                      "heic, webp, mp4, m4a, 3gp, mov, mp3, ogg, amr, wav, avi, mpg, wmv, pdf, doc, "
                      "htm, vcf, sqlite, zip, apk, docx, odt, jar, exe, ...)");
    c.sub->add_flag("--json", o->json, "Print one JSON document");
    c.sub->add_option("--out", o->out,
                      "Write every found file to DIR/Retrivane<time>/disk<time>/<type>/<name>");
    c.run = [o, &g]() { return run_carve(*o, g); };
    return c;
}

}  // namespace quen::cli
