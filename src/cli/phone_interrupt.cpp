#include "cli/phone_interrupt.h"

#include <limits.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "cli/context.h"
#include "platform/process.h"

namespace quen::cli {
namespace {

// What the handler may touch: plain storage filled before it is installed.
constexpr std::size_t kMaxPaths = 24;
std::array<std::array<char, PATH_MAX>, kMaxPaths> g_files;
std::array<std::array<char, PATH_MAX>, kMaxPaths> g_folders;  // deepest first
std::size_t g_file_count = 0;
std::size_t g_folder_count = 0;
std::atomic<bool>* g_stop = nullptr;
volatile std::sig_atomic_t g_presses = 0;

bool store(std::array<char, PATH_MAX>& slot, const std::string& path) {
    if (path.empty() || path.size() >= slot.size()) return false;
    std::memcpy(slot.data(), path.c_str(), path.size() + 1);
    return true;
}

// unlink, rmdir, kill and _exit are async-signal-safe; a lock-free atomic
// store is too.
void on_interrupt(int) {
    g_presses = g_presses + 1;
    if (g_presses == 1 && g_stop) {
        g_stop->store(true);
        return;
    }
    platform::kill_running_programs();
    for (std::size_t i = 0; i < g_file_count; ++i) ::unlink(g_files[i].data());
    for (std::size_t i = 0; i < g_folder_count; ++i) ::rmdir(g_folders[i].data());
    _exit(kExitStopped);
}

void (*armed_handler(std::atomic<bool>& stop, const phone::WorkFolder& work, bool delete_on_exit))(int) {
    g_presses = 0;
    g_stop = &stop;
    g_file_count = g_folder_count = 0;
    if (delete_on_exit && !work.run_folder.empty()) {
        const auto work_files = work.work_files();
        std::vector<std::string> files(work_files.begin(), work_files.end());
        files.push_back(work.run_folder + "/lock");
        for (const auto& file : files)
            if (g_file_count < kMaxPaths && store(g_files[g_file_count], file)) ++g_file_count;
        std::string trimmed = work.picture_folder;
        if (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
        const std::string& picture = trimmed;
        for (const std::string* folder : {&picture, &work.contacts_backup_folder, &work.messages_backup_folder,
                                          &work.contacts_folder, &work.messages_folder, &work.run_folder})
            if (g_folder_count < kMaxPaths && store(g_folders[g_folder_count], *folder)) ++g_folder_count;
    }
    return on_interrupt;
}

}  // namespace

PhoneInterrupt::PhoneInterrupt(std::atomic<bool>& stop, const phone::WorkFolder& work, bool delete_on_exit)
    : scope_(armed_handler(stop, work, delete_on_exit)) {}

PhoneInterrupt::~PhoneInterrupt() { g_stop = nullptr; }

}  // namespace quen::cli
