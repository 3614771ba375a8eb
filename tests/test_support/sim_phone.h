#pragma once
// A simulated phone for tests: a folder that tools/phone-sim plays, inside a
// scratch folder whose path holds blanks, plus a temporary folder for the work
// files (also with a blank). While it lives, $QUEN_PHONE_SIM_DIR names it and
// $ANDROID_SERIAL is unset, so the machine's own setting picks no phone.
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "phone/adb_runner.h"
#include "test_support/cli_run.h"
#include "test_support/files.h"

namespace quen::test {

class SimPhone {
public:
    SimPhone() : root_("quen phone") {
        std::filesystem::create_directories(phone_dir());
        std::filesystem::create_directories(temp());
        ::setenv("QUEN_PHONE_SIM_DIR", phone_dir().c_str(), 1);
        ::unsetenv("ANDROID_SERIAL");
    }
    ~SimPhone() { ::unsetenv("QUEN_PHONE_SIM_DIR"); }
    SimPhone(const SimPhone&) = delete;
    SimPhone& operator=(const SimPhone&) = delete;

    phone::AdbHelper helper() const { return phone::AdbHelper{kPhoneSimProgram}; }
    // The folder the simulator plays, and a scratch folder beside it.
    std::string phone_dir() const { return (root_ / "the phone").string(); }
    std::string scratch_dir() const { return root_.path(); }
    // The temporary folder for the work files, ending with "/".
    std::string temp() const { return (root_ / "temp dir").string() + "/"; }

    void listing(const std::string& text) { set("listing", text); }
    void ready() { listing("List of devices attached\nemulator-5554\tdevice\n\n"); }
    // su as old phones have it ("su root <command>"); su(kind) for the others
    // ("c": su -c, "0": Android's own).
    void rooted() { su(""); }
    void su(const std::string& kind) { set("root", kind); }
    void unrooted() { std::filesystem::remove(std::filesystem::path(phone_dir()) / "root"); }
    // One of the simulator's control files (see tools/phone-sim/main.cpp).
    void set(const std::string& name, const std::string& value) { write_file(std::filesystem::path(phone_dir()) / name, value); }
    // A file on the phone under its phone path, with the mode an app's
    // database has (its folders 0771, as Android makes them).
    void put(const std::string& remote, const std::string& content, std::filesystem::perms mode = app_file_mode) {
        namespace fs = std::filesystem;
        const fs::path files = fs::path(phone_dir()) / "files";
        const fs::path local = files / remote.substr(1);
        write_file(local, content);
        fs::permissions(local, mode);
        for (fs::path dir = local.parent_path(); dir != files; dir = dir.parent_path())
            fs::permissions(dir, fs::perms::owner_all | fs::perms::group_all | fs::perms::others_exec);
    }
    static constexpr std::filesystem::perms app_file_mode = std::filesystem::perms::owner_read |
                                                            std::filesystem::perms::owner_write |
                                                            std::filesystem::perms::group_read |
                                                            std::filesystem::perms::group_write;

    // Every file of the phone with its mode and content, to compare the phone
    // before and after a run.
    std::map<std::string, std::pair<unsigned, std::string>> files() const {
        namespace fs = std::filesystem;
        std::map<std::string, std::pair<unsigned, std::string>> out;
        const fs::path root = fs::path(phone_dir()) / "files";
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            const auto mode = static_cast<unsigned>(fs::symlink_status(it->path()).permissions());
            out[it->path().lexically_relative(root).string()] = {
                mode, it->is_regular_file() ? read_file(it->path()) : std::string("(folder)")};
        }
        return out;
    }

    // Every invocation so far, each as its argument list.
    std::vector<std::vector<std::string>> calls() const {
        std::vector<std::vector<std::string>> out;
        std::ifstream in(std::filesystem::path(phone_dir()) / "calls");
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> args;
            std::istringstream parts(line);
            std::string arg;
            while (std::getline(parts, arg, '\t')) args.push_back(arg);
            out.push_back(args);
        }
        return out;
    }

private:
    TempDir root_;
};

}  // namespace quen::test
