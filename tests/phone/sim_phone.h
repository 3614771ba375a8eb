#pragma once
// A simulated phone for tests: a folder that tools/phone-sim plays, inside a
// scratch folder whose path holds blanks, plus a temporary folder for the work
// files (also with a blank).
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "phone/adb_runner.h"

namespace quen::test {

inline const std::string kPhoneSim = QUEN_BINARY_DIR "/tools/phone-sim/phone-sim";

class SimPhone {
public:
    SimPhone() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/quen phone XXXXXX";
        if (::mkdtemp(pattern.data())) root_ = pattern;
        phone_ = root_ / "the phone";
        temp_ = root_ / "temp dir";
        std::filesystem::create_directories(phone_);
        std::filesystem::create_directories(temp_);
        ::setenv("QUEN_PHONE_SIM_DIR", phone_.c_str(), 1);
    }
    ~SimPhone() {
        ::unsetenv("QUEN_PHONE_SIM_DIR");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    SimPhone(const SimPhone&) = delete;
    SimPhone& operator=(const SimPhone&) = delete;

    phone::AdbHelper helper() const { return phone::AdbHelper{kPhoneSim}; }
    // The temporary folder for the work files, ending with "/".
    std::string temp() const { return temp_.string() + "/"; }
    std::string phone_dir() const { return phone_.string(); }

    void listing(const std::string& text) { write(phone_ / "listing", text); }
    void ready() { listing("List of devices attached\nemulator-5554\tdevice\n\n"); }
    void rooted() { write(phone_ / "root", ""); }
    void set(const std::string& name, const std::string& value) { write(phone_ / name, value); }
    void put(const std::string& remote, const std::string& content) {
        const auto file = phone_ / ("files" + remote);
        std::filesystem::create_directories(file.parent_path());
        write(file, content);
    }
    // Every invocation so far, each as its argument list.
    std::vector<std::vector<std::string>> calls() const {
        std::vector<std::vector<std::string>> out;
        std::ifstream in(phone_ / "calls");
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> args;
            std::istringstream parts(line);
            std::string a;
            while (std::getline(parts, a, '\t')) args.push_back(a);
            out.push_back(args);
        }
        return out;
    }
    void clear_calls() {
        std::error_code ec;
        std::filesystem::remove(phone_ / "calls", ec);
    }

    static void write(const std::filesystem::path& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }
    static std::string read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::filesystem::path root_;
    std::filesystem::path phone_;
    std::filesystem::path temp_;
};

}  // namespace quen::test
