#pragma once
// The found files of a carved disk as carve and scan list them: one text
// line "type TAB name TAB offset TAB size" or one JSON object each.
#include <cstdio>
#include <string>

#include "cli/output/json_text.h"
#include "cdr/cdr_node.h"

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

// One text line on stdout, after `indent`.
inline void print_found_file_line(const char* indent, const cdr::CdrNode& type, const cdr::FoundFile& f) {
    std::printf("%s%s\t%s\t%llu\t%llu\n", indent, type.name.c_str(), f.name.c_str(),
                static_cast<unsigned long long>(f.offset), static_cast<unsigned long long>(f.size));
}

}  // namespace quen::cli
