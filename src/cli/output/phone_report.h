#pragma once
// What the phone commands (devices, acquire, phone) tell the user about the
// phone and the transfers: the state's problem and fix, the phone's model,
// Android version and root method, what was changed on the phone and put
// back, and each file that did not arrive whole; the same as JSON members.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <string>

#include "cli/output/progress_line.h"
#include "phone/acquisition.h"

namespace quen::cli {

// Shows the progress of the file being copied on the progress line:
// "copying mmssms.db: 1.2 of 4.5 MB (26%)"; on a pipe only every tenth.
class TransferProgressLine {
public:
    explicit TransferProgressLine(ProgressLine& line) : line_(line) {}
    void show(const phone::TransferProgress& progress);

private:
    ProgressLine& line_;
    std::string remote_;
    int tenth_ = -1;
};

// "quenfora-cli: <problem> <fix>" on stderr for a state other than Ready.
void print_state_help(phone::DeviceState state);

// "phone: <serial>, <make and model>, Android <version> (API <n>), root: <method>".
std::string device_line(const phone::AcquisitionReport& report);

// One line on stderr per problem of the acquisition (a work folder that could
// not be used, a file the phone has that did not arrive whole, live records
// the phone refused). Returns whether there was any: the run then failed.
bool print_acquisition_problems(const phone::AcquisitionReport& report);

// The changes made to the phone and their undoing, and the notes for the
// user (no root, su refused), on stderr.
void print_log_and_notes(const phone::AcquisitionReport& report);

// "device": {"serial", "manufacturer", "model", "android", "sdk", "root"},
// "files": [{"remote", "local", "result", "bytes", "expected", "method", "detail"}],
// "log": [...], "notes": [...]
void write_acquisition_members(rapidjson::Writer<rapidjson::StringBuffer>& writer,
                               const phone::AcquisitionReport& report);

}  // namespace quen::cli
