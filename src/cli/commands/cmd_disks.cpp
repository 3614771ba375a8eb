// quenfora-cli disks: the disk tree as enumeration builds it.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cinttypes>
#include <cstdio>

#include "cli/commands/commands.h"
#include "cli/output/json_text.h"
#include "cdr/disks/disk_enum.h"

namespace quen::cli {
namespace {

const char* style_name(cdr::PartitionStyle s) {
    switch (s) {
    case cdr::PartitionStyle::Mbr: return "mbr";
    case cdr::PartitionStyle::Gpt: return "gpt";
    default: return "raw";
    }
}

void print_json(const cdr::EnumResult& r) {
    rapidjson::StringBuffer sb;
    rapidjson::Writer<rapidjson::StringBuffer> w(sb);
    w.StartObject();
    w.Key("disks");
    w.StartArray();
    for (const auto& disk : r.root->children) {
        w.StartObject();
        w.Key("path"); write_text(w, disk->path);
        w.Key("name"); write_text(w, disk->name);
        w.Key("length"); w.Uint64(disk->length);
        w.Key("removable"); w.Bool(disk->removable);
        w.Key("partition_style"); w.String(style_name(disk->partition_style));
        w.Key("partitions");
        w.StartArray();
        for (const auto& p : disk->children) {
            w.StartObject();
            w.Key("name"); write_text(w, p->name);
            w.Key("mount_point"); write_text(w, p->drive);
            w.Key("start_offset"); w.Uint64(p->start_offset);
            w.Key("length"); w.Uint64(p->length);
            w.Key("detail"); write_text(w, p->detail);
            w.Key("free_bytes"); w.Uint64(p->free_bytes);
            w.EndObject();
        }
        w.EndArray();
        w.EndObject();
    }
    w.EndArray();
    w.Key("problems");
    w.StartArray();
    for (const auto& p : r.problems) write_text(w, p.text);
    w.EndArray();
    w.EndObject();
    std::printf("%s\n", sb.GetString());
}

void print_text(const cdr::EnumResult& r) {
    for (const auto& disk : r.root->children) {
        std::printf("%s\t%s\t%" PRIu64 " bytes (%s)\t%s\t%s\n", disk->path.c_str(), disk->name.c_str(),
                    disk->length, cdr::size_text(disk->length).c_str(),
                    disk->removable ? "removable" : "fixed", style_name(disk->partition_style));
        for (const auto& p : disk->children) {
            std::printf("  %s\tmount: %s\tstart %" PRIu64 "\tlength %" PRIu64 "\t%s\tfree %" PRIu64 "\n",
                        p->name.c_str(), p->drive.empty() ? "-" : p->drive.c_str(), p->start_offset,
                        p->length, p->detail.c_str(), p->free_bytes);
        }
    }
}

}  // namespace

Command add_disks_command(CLI::App& app, const Globals&) {
    Command c;
    c.sub = app.add_subcommand("disks", "List the disks, their partitions and mount points");
    auto json = std::make_shared<bool>(false);
    c.sub->add_flag("--json", *json, "Print one JSON document");
    c.run = [json]() {
        cdr::EnumResult r = cdr::cdr_enum_disks();
        // Skipped devices go to stderr in both modes, so nobody mistakes a
        // disk that could not be opened for one that is not there.
        for (const auto& p : r.problems) std::fprintf(stderr, "quenfora-cli: %s\n", p.text.c_str());
        if (!r.root) return static_cast<int>(kExitFailed);
        if (*json)
            print_json(r);
        else
            print_text(r);
        // Removable disks that were all skipped: the card cannot be read.
        if (cdr::no_removable_disk_readable(r.root.get(), r.problems)) {
            std::fprintf(stderr, "quenfora-cli: disks: no removable disk could be read\n");
            return static_cast<int>(kExitFailed);
        }
        return static_cast<int>(kExitDone);
    };
    return c;
}

}  // namespace quen::cli
