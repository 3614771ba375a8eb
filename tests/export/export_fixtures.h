#pragma once
// Shared helpers of the export tests: the shipped template and message records.
#include <string>

#include "records/model/record_model.h"
#include "test_support/files.h"

namespace quen::test {

inline std::string shipped_template() { return std::string(QUEN_SOURCE_DIR) + "/resources/template.html"; }

inline records::MessageRecord message(int32_t type, const std::string& date, const std::string& body) {
    records::MessageRecord m;
    m.type = type;
    m.thread_id = 1;
    m.date_text = date;
    m.address = "+15550100";
    m.body = body;
    return m;
}

}  // namespace quen::test
