// quenfora-cli scan: the storage scan job over every removable disk plus the
// images given, carved in turn with progress; with --out everything found is
// written out the way the recovery does.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands/commands.h"
#include "cli/output/found_file_rows.h"
#include "cli/interrupt.h"
#include "cli/output/json_text.h"
#include "cli/output/progress_line.h"
#include "cli/recover_cli.h"
#include "cdr/disks/disk_image.h"
#include "cdr/engine/engine.h"
#include "cdr/scan/scan_job.h"
#include "platform/queue_sink.h"

namespace quen::cli {
namespace {

struct ScanOptions {
    std::vector<std::string> images;
    std::string out;
    bool json = false;
};

void print_json(const cdr::ScanJob& job, const RecoverySummary* rec) {
    rapidjson::StringBuffer sb;
    rapidjson::Writer<rapidjson::StringBuffer> w(sb);
    w.StartObject();
    w.Key("disks");
    w.StartArray();
    for (size_t i = 0; i < job.disks().size(); ++i) {
        const cdr::CdrNode& d = *job.disks()[i];
        w.StartObject();
        w.Key("source");
        write_text(w, d.path);
        w.Key("name");
        write_text(w, d.name);
        w.Key("bytes_read");
        w.Uint64(job.bytes_read()[i]);
        write_unreadable_json(w, job.unreadable()[i]);
        if (!job.disk_errors()[i].empty()) {
            w.Key("error");
            write_text(w, job.disk_errors()[i]);
        }
        w.Key("files");
        w.StartArray();
        for_each_found_file(d, [&](const cdr::CdrNode& type, const cdr::FoundFile& f) {
            write_found_file_json(w, type, f);
        });
        w.EndArray();
        w.EndObject();
    }
    w.EndArray();
    // Devices that were skipped (permission, no size): nobody should take a
    // card that was never read for an empty one.
    w.Key("problems");
    w.StartArray();
    for (const auto& p : job.problems())
        if (p.removable) write_text(w, p.text);
    w.EndArray();
    if (rec) write_recovery_json(w, *rec);
    w.EndObject();
    std::printf("%s\n", sb.GetString());
}

void print_text(const cdr::ScanJob& job) {
    for (size_t i = 0; i < job.disks().size(); ++i) {
        const cdr::CdrNode& d = *job.disks()[i];
        uint64_t n = 0;
        for_each_found_file(d, [&](const cdr::CdrNode&, const cdr::FoundFile&) { ++n; });
        uint64_t unreadable = 0;
        for (const cdr::ByteRange& u : job.unreadable()[i]) unreadable += u.length;
        std::printf("%s\t%s\t%llu files found, %llu bytes read", d.path.c_str(), d.name.c_str(),
                    static_cast<unsigned long long>(n), static_cast<unsigned long long>(job.bytes_read()[i]));
        if (unreadable) std::printf(", %llu bytes unreadable", static_cast<unsigned long long>(unreadable));
        if (!job.disk_errors()[i].empty()) std::printf(", stopped: the device stopped answering");
        std::printf("\n");
        for_each_found_file(d, [](const cdr::CdrNode& type, const cdr::FoundFile& f) {
            print_found_file_line("  ", type, f);
        });
    }
}

int run_scan(const ScanOptions& o, const Globals& g) {
    bool image_failed = false;
    auto enumerate = [&]() {
        cdr::EnumResult r = cdr::cdr_enum_disks();
        if (!r.root) r.root = cdr::make_root();
        for (const std::string& img : o.images) {
            std::string error;
            if (!cdr::cdr_add_image(img, *r.root, &error)) {
                r.problems.push_back({error, true});
                image_failed = true;
            }
        }
        return r;
    };

    QueueSink sink;
    auto carve = [](cdr::CdrNode& disk, const cdr::ProgressFn& progress) {
        cdr::CarveDiskOptions options;
        options.on_text = print_engine_warnings;
        return cdr::carve_disk(disk, options, progress);
    };
    cdr::ScanJob job(enumerate, carve, sink);
    InterruptFlag interrupt;
    job.start();

    std::unique_ptr<ProgressLine> progress;
    bool listed = false, all_done = false, stop_asked = false;
    auto handler = [&](const Message& m) {
        if (m.id == WM_DISKS_LISTED) {
            listed = true;
            // Fixed disks are not scanned, so only problems with removable
            // ones (and images) matter here.
            for (const auto& p : job.problems())
                if (p.removable) std::fprintf(stderr, "quenfora-cli: %s\n", p.text.c_str());
            if (InterruptFlag::raised()) {
                all_done = true;
                return;
            }
            job.on_disks_listed();
            progress = std::make_unique<ProgressLine>(g.quiet);  // rates count from the disk's start
            if (job.disks().empty()) std::fprintf(stderr, "quenfora-cli: scan: no removable disk to scan\n");
        } else if (m.id == WM_SCAN_EVENT) {
            std::optional<cdr::ScanEvent> e = job.take_event();
            if (!e) return;
            const size_t n = job.disks().size();
            switch (e->kind) {
            case cdr::kScanProgress: {
                if (!progress) progress = std::make_unique<ProgressLine>(g.quiet);
                const cdr::CdrNode& d = *job.disks()[e->disk_index];
                const std::string label = "disk " + std::to_string(e->disk_index + 1) + "/" +
                                          std::to_string(n) + " " + d.name;
                progress->bytes(d.length / 100 * static_cast<uint64_t>(e->percent), d.length, label);
                break;
            }
            case cdr::kScanDiskDone:
                if (progress) progress->finish();
                progress = std::make_unique<ProgressLine>(g.quiet);
                break;
            case cdr::kScanAllDone:
                all_done = true;
                break;
            default:
                break;
            }
        }
    };
    while (!all_done) {
        if (InterruptFlag::raised() && listed && !stop_asked) {
            stop_asked = true;
            job.stop();  // returns once the scan thread has left its disk loop
        }
        sink.pump_one(handler, std::chrono::milliseconds(100));
    }
    if (progress) progress->finish();
    if (!job.failure().empty()) std::fprintf(stderr, "%s\n", job.failure().c_str());
    const bool interrupted = InterruptFlag::raised();
    bool disk_failed = false;
    for (size_t i = 0; i < job.disks().size(); ++i) {
        print_unreadable("scan: " + job.disks()[i]->path, job.unreadable()[i]);
        if (!job.disk_errors()[i].empty()) {
            std::fprintf(stderr, "quenfora-cli: scan: %s\n", job.disk_errors()[i].c_str());
            disk_failed = true;
        }
    }
    // Removable disks were there but none could be read: nothing was scanned.
    bool none_readable;
    {
        auto lock = job.tree_lock();
        none_readable = job.disks().empty() && cdr::no_removable_disk_readable(nullptr, job.problems());
    }
    if (none_readable) std::fprintf(stderr, "quenfora-cli: scan: no removable disk could be read\n");

    RecoverySummary rec;
    bool recovered = false;
    if (!o.out.empty() && !interrupted) {
        std::vector<const cdr::ScanTreeNode*> nodes(job.disk_nodes().begin(), job.disk_nodes().end());
        rec = run_recovery(o.out, nodes, g.quiet);
        recovered = true;
    }
    if (o.json)
        print_json(job, recovered ? &rec : nullptr);
    else {
        print_text(job);
        if (recovered) print_recovery_text(rec);
    }
    if (std::fflush(stdout) != 0) return kExitFailed;
    if (interrupted) return kExitStopped;
    if (recovered && recovery_exit_code(rec) != kExitDone) return recovery_exit_code(rec);
    const bool failed = image_failed || disk_failed || none_readable || !job.failure().empty();
    return failed ? static_cast<int>(kExitFailed) : static_cast<int>(kExitDone);
}

}  // namespace

Command add_scan_command(CLI::App& app, const Globals& g) {
    Command c;
    c.sub = app.add_subcommand("scan",
                               "Carve every removable disk (and each --image) in turn; with --out, "
                               "write out everything found");
    auto o = std::make_shared<ScanOptions>();
    c.sub->add_option("--image", o->images, "A disk image file to scan as a removable disk (repeatable)");
    c.sub->add_option("--out", o->out,
                      "Write every found file to DIR/Retrivane<time>/disk<time>/<type>/<name>");
    c.sub->add_flag("--json", o->json, "Print one JSON document");
    c.run = [o, &g]() { return run_scan(*o, g); };
    return c;
}

}  // namespace quen::cli
