#include "cdr/output/found_file_writer.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/local_time.h"

namespace quen::cdr {
namespace {

void make_dir(const std::string& path) {
    // Errors are not fatal here: a folder that cannot be made shows up as
    // files that cannot be created, which are reported one by one.
    ::mkdir(path.c_str(), 0755);
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Names come from the carving engine ("<sector>.<ext>"), but a name that could
// climb out of its folder never reaches the file system as it is.
std::string safe_component(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return "_";
    std::string s = name;
    for (char& c : s)
        if (c == '/' || c == '\0') c = '_';
    return s;
}

}  // namespace

FoundFileWriteResult write_found_files(const FoundFileWriterJob& job, const RecoveryState& state,
                                       CopyBuffer& buffer, std::atomic<uint64_t>& done,
                                       const FileWrittenFn& on_file) {
    FoundFileWriteResult res;
    if (!job.disk) return res;
    const std::string& base = job.destination;
    const int handle = job.disk->source ? job.disk->source->copy_fd() : -1;
    const ProgressFn stop_check = state.stop_check();

    for (const auto& type : job.disk->children) {
        if (state.stop_requested()) break;
        if (!type->is_file_type()) continue;
        const std::string dir = base + "/" + safe_component(type->type_name()) + "/";
        bool made = false;
        for (const ScanListItem& item : type->items) {
            if (state.stop_requested()) break;
            if (!item.checked || !item.file) continue;
            if (!made) {
                make_dir(base);
                make_dir(dir);
                made = true;
            }
            const std::string path = dir + safe_component(item.name);
            const CopyResult r = cdr_copy_out(*item.file, handle, path, buffer, stop_check);
            if (r.status == CopyStatus::Stopped) {
                res.cancelled = true;
                if (on_file) on_file(path, false);
                break;
            }
            if (r.ok()) {
                ++res.written;
                done.fetch_add(1);
            } else {
                res.failed.push_back({path, copy_failure_text(r, item.file->size)});
            }
            if (on_file) on_file(path, r.ok());
        }
    }
    if (state.stop_requested()) res.cancelled = true;
    return res;
}

std::string make_output_folder(const std::string& dir, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string folder = dir + "/Retrivane" + platform::local_time_text("%Y%m%d%H%M%S");
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        if (error) *error = "cannot create " + folder + ": " + std::strerror(errno);
        return {};
    }
    return folder;
}

std::string make_disk_folder_text(const std::string& output_folder) {
    const std::string base = output_folder + "/disk" + platform::local_time_text("%Y%m%d%H%M%S");
    std::string text = base;
    for (int n = 2; exists(text); ++n) text = base + "-" + std::to_string(n);
    return text;
}

uint64_t count_checked_items(const ScanTreeNode& disk) {
    uint64_t n = 0;
    for (const auto& type : disk.children)
        if (type->is_file_type())
            for (const auto& item : type->items)
                if (item.checked && item.file) ++n;
    return n;
}

}  // namespace quen::cdr
