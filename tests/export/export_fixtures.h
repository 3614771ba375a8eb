#pragma once
// Shared helpers of the export tests: records, a fresh folder, file reading.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "records/model/record_model.h"
#include "test_support/files.h"

namespace quen::testing {

inline std::string shipped_template() { return std::string(QUEN_SOURCE_DIR) + "/resources/template.html"; }

// A folder of its own under the temp folder, removed when the test ends.
class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> serial{0};
        path_ = std::filesystem::temp_directory_path() /
                ("quen_export_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string str() const { return path_.string(); }
    std::filesystem::path path() const { return path_; }

private:
    std::filesystem::path path_;
};

using test_support::read_file;

inline void write_file(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline records::MessageRecord message(int32_t type, const std::string& date, const std::string& body) {
    records::MessageRecord m;
    m.type = type;
    m.thread_id = 1;
    m.date_text = date;
    m.address = "+15550100";
    m.body = body;
    return m;
}

}  // namespace quen::testing
