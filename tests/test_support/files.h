#pragma once
// Files in tests: a temporary folder of the test's own, and reading a file
// back whole.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quen::test_support {

// A new folder /tmp/<prefix>-XXXXXX, removed with everything in it at the end.
class TempDir {
public:
    explicit TempDir(const std::string& prefix) {
        std::string tmpl = "/tmp/" + prefix + "-XXXXXX";
        if (::mkdtemp(tmpl.data())) path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }

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

// The whole file; empty when it cannot be read.
inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<uint8_t> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quen::test_support
