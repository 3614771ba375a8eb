#include "cli/output/phone_report.h"

#include <cstdio>

#include "cli/output/json_text.h"

namespace quen::cli {

void print_state_help(phone::DeviceState state) {
    if (state == phone::DeviceState::Ready) return;
    const phone::DeviceStateText text = phone::device_state_text(state);
    std::fprintf(stderr, "quenfora-cli: %s %s\n", text.problem, text.fix);
}

bool print_acquisition_problems(const phone::AcquisitionReport& report) {
    bool failed = false;
    if (!report.error.empty()) {
        std::fprintf(stderr, "quenfora-cli: %s\n", report.error.c_str());
        failed = true;
    }
    for (const auto& file : report.lost()) {
        std::fprintf(stderr, "quenfora-cli: %s was not copied whole: %s\n", file.remote.c_str(),
                     phone::describe_outcome(file).c_str());
        failed = true;
    }
    return failed;
}

void write_files_member(rapidjson::Writer<rapidjson::StringBuffer>& writer, const phone::AcquisitionReport& report) {
    writer.Key("acquisition");
    writer.StartArray();
    for (const auto& file : report.files) {
        writer.StartObject();
        writer.Key("remote");
        write_text(writer, file.remote);
        writer.Key("local");
        write_text(writer, file.local);
        writer.Key("result");
        writer.String(phone::file_result_name(file.result));
        writer.Key("bytes");
        writer.Uint64(file.bytes);
        writer.Key("expected");
        writer.Uint64(file.expected);
        writer.Key("method");
        write_text(writer, file.method);
        writer.Key("detail");
        write_text(writer, file.detail);
        writer.EndObject();
    }
    writer.EndArray();
}

}  // namespace quen::cli
