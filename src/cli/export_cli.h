#pragma once
// Saving read records from the command line (read --out, phone --out): the
// --out and --formats options, the writing through export/report_folders.h
// (the same call the window's recovery makes), and what is printed of it.
#include <CLI/CLI.hpp>
#include <rapidjson/writer.h>

#include <cstdio>
#include <string>

#include "cli/output/json_text.h"
#include "export/report_folders.h"

namespace quen::cli {

struct ExportArgs {
    std::string out;                           // --out DIR; empty: nothing is written
    std::string formats = "html,vcf,xml,csv";  // --formats LIST
};

// Adds --out DIR and --formats LIST to the command. An unknown format name is
// a usage error (exit 2), and so is --formats without --out.
void add_export_options(CLI::App& command, ExportArgs& args);

// Writes the checked records into args.out/Retrivane<time>/ in the chosen
// formats; every failure is named on stderr.
exports::PhoneReports write_export_files(const ExportArgs& args, const records::ContactList& contacts,
                                         const records::ThreadList& threads);

// Text mode: one "wrote PATH" line per file written.
void print_written_files(std::FILE* out, const exports::PhoneReports& written);

// The records as `read --json` prints them, followed by "output_folder" and
// "files".
std::string records_json_with_files(const records::ContactList& contacts, const records::ThreadList& threads,
                                    const exports::PhoneReports& written);

// JSON mode: "output_folder" and "files" (every path written) in the open object.
template <typename Writer>
void write_files_json(Writer& writer, const exports::PhoneReports& written) {
    writer.Key("output_folder");
    write_text(writer, written.output_folder);
    writer.Key("files");
    writer.StartArray();
    for (const std::string& path : written.files) write_text(writer, path);
    writer.EndArray();
}

}  // namespace quen::cli
