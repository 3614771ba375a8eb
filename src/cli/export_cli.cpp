#include "cli/export_cli.h"

#include <rapidjson/stringbuffer.h>

#include "cli/output/records_json.h"

namespace quen::cli {

void add_export_options(CLI::App& command, ExportArgs& args) {
    CLI::Option* out = command
                           .add_option("--out", args.out,
                                       "Save the records: DIR/Retrivane<time>/Contacts (<n>)/ and Messages (<n>)/, "
                                       "one file per format")
                           ->type_name("DIR");
    command
        .add_option("--formats", args.formats,
                    "Comma-separated formats to save: html (report pages), vcf (contacts as vCard), xml (messages "
                    "for SMS Backup & Restore), csv (both as spreadsheets)")
        ->type_name("LIST")
        ->capture_default_str()
        ->check([](const std::string& list) {
            std::string error;
            return exports::parse_export_formats(list, error) ? std::string() : error;
        })
        ->needs(out);
}

exports::PhoneReports write_export_files(const ExportArgs& args, const records::ContactList& contacts,
                                         const records::ThreadList& threads) {
    std::string error;
    // Checked while the options were parsed.
    const auto formats = exports::parse_export_formats(args.formats, error).value_or(exports::ExportFormats::all());
    exports::PhoneReports written = exports::write_phone_reports(contacts, threads, args.out, {}, {}, formats);
    if (!written.ok) std::fprintf(stderr, "quenfora-cli: %s\n", written.error.c_str());
    return written;
}

std::string records_json_with_files(const records::ContactList& contacts, const records::ThreadList& threads,
                                    const exports::PhoneReports& written) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    write_records_members(writer, contacts, threads);
    write_files_json(writer, written);
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

void print_written_files(std::FILE* out, const exports::PhoneReports& written) {
    for (const std::string& path : written.files) std::fprintf(out, "wrote %s\n", path.c_str());
}

}  // namespace quen::cli
