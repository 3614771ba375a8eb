#pragma once
// A simulated phone for tests: a folder that tools/phone-sim plays, inside a
// scratch folder whose path holds blanks, plus a temporary folder for the work
// files (also with a blank). While it lives, $QUEN_PHONE_SIM_DIR names it.
#include <stdlib.h>

#include <filesystem>
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
    void rooted() { set("root", ""); }
    // su stops working, and what it made readable is locked again.
    void unrooted() {
        std::filesystem::remove(std::filesystem::path(phone_dir()) / "root");
        std::filesystem::remove(std::filesystem::path(phone_dir()) / "readable");
    }
    // One of the simulator's control files (see tools/phone-sim/main.cpp).
    void set(const std::string& name, const std::string& value) { write_file(std::filesystem::path(phone_dir()) / name, value); }
    // A file on the phone under its phone path.
    void put(const std::string& remote, const std::string& content) { set("files" + remote, content); }

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
