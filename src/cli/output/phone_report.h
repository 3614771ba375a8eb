#pragma once
// What the phone commands (devices, acquire, phone) tell the user about the
// phone and the transfers: the state's problem and fix, and each file that did
// not arrive whole, on stderr; the same as JSON members.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "phone/acquisition.h"

namespace quen::cli {

// "quenfora-cli: <problem> <fix>" on stderr for a state other than Ready.
void print_state_help(phone::DeviceState state);

// One line on stderr per problem of the acquisition (a work folder that could
// not be used, a file the phone has that did not arrive whole). Returns
// whether there was any: the run then failed.
bool print_acquisition_problems(const phone::AcquisitionReport& report);

// "files": [{"remote": ..., "local": ..., "result": "pulled", "bytes": n,
// "expected": n, "method": "pull", "detail": ...}, ...]
void write_files_member(rapidjson::Writer<rapidjson::StringBuffer>& writer, const phone::AcquisitionReport& report);

}  // namespace quen::cli
