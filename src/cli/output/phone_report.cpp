#include "cli/output/phone_report.h"

#include <algorithm>

#include "cli/output/json_text.h"

namespace quen::cli {

namespace {

std::string megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

}  // namespace

void TransferProgressLine::show(const phone::TransferProgress& progress) {
    const int tenth = progress.total ? static_cast<int>(std::min<std::uint64_t>(progress.bytes * 10 / progress.total, 10)) : 0;
    if (!line_.is_terminal() && progress.remote == remote_ && tenth == tenth_) return;
    remote_ = progress.remote;
    tenth_ = tenth;
    const std::string name = progress.remote.substr(progress.remote.find_last_of('/') + 1);
    std::string text = "copying " + name + ": " + megabytes(progress.bytes);
    if (progress.total)
        text += " of " + megabytes(progress.total) + " MB (" + std::to_string(progress.bytes * 100 / progress.total) + "%)";
    else
        text += " MB";
    line_.step(text);
}

void print_state_help(phone::DeviceState state) {
    if (state == phone::DeviceState::Ready) return;
    const phone::DeviceStateText text = phone::device_state_text(state);
    std::fprintf(stderr, "quenfora-cli: %s %s\n", text.problem, text.fix);
}

std::string device_line(const phone::AcquisitionReport& report) {
    return "phone: " + report.device.serial + ", " + phone::describe_device(report.info) +
           ", root: " + phone::root_method_name(report.root.method);
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
    for (const auto* read : {&report.provider.contacts_read, &report.provider.messages_read})
        failed = failed || (read->tried && !read->ok && !read->absent);
    return failed;
}

void print_log_and_notes(const phone::AcquisitionReport& report) {
    for (const auto& line : report.log) std::fprintf(stderr, "quenfora-cli: on the phone: %s\n", line.c_str());
    for (const auto& note : report.notes) std::fprintf(stderr, "quenfora-cli: note: %s\n", note.c_str());
}

namespace {

void write_texts(rapidjson::Writer<rapidjson::StringBuffer>& writer, const char* key,
                 const std::vector<std::string>& texts) {
    writer.Key(key);
    writer.StartArray();
    for (const auto& text : texts) write_text(writer, text);
    writer.EndArray();
}

}  // namespace

void write_acquisition_members(rapidjson::Writer<rapidjson::StringBuffer>& writer,
                               const phone::AcquisitionReport& report) {
    writer.Key("device");
    writer.StartObject();
    for (const auto& [key, value] : {std::pair{"serial", &report.device.serial},
                                     std::pair{"manufacturer", &report.info.manufacturer},
                                     std::pair{"model", &report.info.model},
                                     std::pair{"android", &report.info.android_version}}) {
        writer.Key(key);
        write_text(writer, *value);
    }
    writer.Key("sdk");
    writer.Int(report.info.sdk);
    writer.Key("root");
    writer.String(phone::root_method_name(report.root.method));
    writer.EndObject();

    writer.Key("acquisition");
    writer.StartArray();
    for (const auto& file : report.files) {
        writer.StartObject();
        const std::string result = phone::file_result_name(file.result);
        for (const auto& [key, value] : {std::pair{"remote", &file.remote}, std::pair{"local", &file.local},
                                         std::pair{"result", &result}, std::pair{"method", &file.method},
                                         std::pair{"detail", &file.detail}}) {
            writer.Key(key);
            write_text(writer, *value);
        }
        for (const auto& [key, number] : {std::pair{"bytes", file.bytes}, std::pair{"expected", file.expected}}) {
            writer.Key(key);
            writer.Uint64(number);
        }
        writer.EndObject();
    }
    writer.EndArray();
    write_texts(writer, "log", report.log);
    write_texts(writer, "notes", report.notes);
}

}  // namespace quen::cli
