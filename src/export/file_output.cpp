#include "export/file_output.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace quen::exports {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool write_whole_file(const std::string& path, std::string_view bytes) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const bool flushed = std::fflush(file.get()) == 0;
    return wrote && flushed && std::fclose(file.release()) == 0;
}

}  // namespace

bool write_file_replacing(const std::string& path, std::string_view bytes) {
    // A name of its own per write, so that two writes never share a temp file.
    static std::atomic<unsigned> serial{0};
    const std::string temp_path =
        path + ".part" + std::to_string(::getpid()) + "-" + std::to_string(serial.fetch_add(1));
    if (!write_whole_file(temp_path, bytes)) {
        std::error_code ignored;
        std::filesystem::remove(temp_path, ignored);
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp_path, path, ec);
    if (ec) {
        std::filesystem::remove(temp_path, ec);
        return false;
    }
    return true;
}

}  // namespace quen::exports
