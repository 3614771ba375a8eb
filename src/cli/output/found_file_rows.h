#pragma once
// The found files of a carved disk as carve and scan list them: one text
// line "type TAB name TAB offset TAB size" or one JSON object each; and what
// of the engine's own text the two commands show.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/output/json_text.h"
#include "cdr/disks/cdr_node.h"
#include "cdr/engine/carve_reader.h"
#include "cdr/engine/extractor.h"

namespace quen::cli {

// Calls fn(type node, found file) for every file found on the disk.
template <typename Fn>
void for_each_found_file(const cdr::CdrNode& disk, Fn fn) {
    for (const auto& node : disk.children) {
        if (node->kind != cdr::CdrKind::FileType) continue;
        for (const cdr::FoundFile& f : node->found_files) fn(*node, f);
    }
}

// {"type", "name", "offset", "size"} of one found file.
template <typename Writer>
void write_found_file_json(Writer& w, const cdr::CdrNode& type, const cdr::FoundFile& f) {
    w.StartObject();
    w.Key("type");
    write_text(w, type.name);
    w.Key("name");
    write_text(w, f.name);
    w.Key("offset");
    w.Uint64(f.offset);
    w.Key("size");
    w.Uint64(f.size);
    w.EndObject();
}

// The engine's warnings (a rejected WMV header, ...) go to stderr, so that
// stdout holds only the listing; its progress text gives way to the progress
// line, and its errors come back in the result, which the command reports.
inline void print_engine_warnings(cdr::EngineText kind, const std::string& text) {
    if (kind == cdr::EngineText::Warning) std::fputs(text.c_str(), stderr);
}

// "unreadable": [{"offset", "length"}] of the ranges a carve could not read.
template <typename Writer>
void write_unreadable_json(Writer& w, const std::vector<cdr::ByteRange>& ranges) {
    w.Key("unreadable");
    w.StartArray();
    for (const cdr::ByteRange& r : ranges) {
        w.StartObject();
        w.Key("offset");
        w.Uint64(r.offset);
        w.Key("length");
        w.Uint64(r.length);
        w.EndObject();
    }
    w.EndArray();
}

// The unreadable ranges on stderr, one line each (the first few, then how
// many more), so that a card with bad sectors is never taken for a good one.
inline void print_unreadable(const std::string& what, const std::vector<cdr::ByteRange>& ranges) {
    constexpr size_t kShown = 20;
    uint64_t total = 0;
    for (const cdr::ByteRange& r : ranges) total += r.length;
    for (size_t i = 0; i < ranges.size() && i < kShown; ++i)
        std::fprintf(stderr, "quenfora-cli: %s: unreadable: %llu bytes at offset %llu (carved as zeros)\n",
                     what.c_str(), static_cast<unsigned long long>(ranges[i].length),
                     static_cast<unsigned long long>(ranges[i].offset));
    if (ranges.size() > kShown)
        std::fprintf(stderr, "quenfora-cli: %s: ... and %zu more unreadable ranges\n", what.c_str(),
                     ranges.size() - kShown);
    if (!ranges.empty())
        std::fprintf(stderr, "quenfora-cli: %s: %llu bytes in %zu ranges could not be read\n", what.c_str(),
                     static_cast<unsigned long long>(total), ranges.size());
}

// One text line on stdout, after `indent`.
inline void print_found_file_line(const char* indent, const cdr::CdrNode& type, const cdr::FoundFile& f) {
    std::printf("%s%s\t%s\t%llu\t%llu\n", indent, type.name.c_str(), f.name.c_str(),
                static_cast<unsigned long long>(f.offset), static_cast<unsigned long long>(f.size));
}

}  // namespace quen::cli
