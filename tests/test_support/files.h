#pragma once
// Files in tests: a temporary folder of the test's own, and writing and
// reading files whole.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace quen::test {

// A new folder <temporary folder>/<prefix>-XXXXXX ($TMPDIR, else /tmp),
// removed with everything in it at the end. A prefix with a blank gives a path
// with a blank, which every path handed to another program must survive.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "quen-test") {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of `name` inside the folder.
    std::filesystem::path operator/(std::string_view name) const { return std::filesystem::path(path_) / name; }

    // Writes `content` to the folder's file `name`; its path.
    std::string file(const std::string& name, const std::vector<uint8_t>& content) const {
        std::string p = path_ + "/" + name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
        return p;
    }

private:
    std::string path_;
};

// Writes `bytes` as the whole file, making its folder first when missing.
inline void write_file(const std::filesystem::path& path, std::string_view bytes) {
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The whole file; empty when it cannot be read.
inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<uint8_t> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quen::test
