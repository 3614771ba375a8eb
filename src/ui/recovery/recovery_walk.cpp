#include "ui/recovery/recovery_walk.h"

#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cstring>

#include "export/export_contacts.h"
#include "export/export_messages.h"
#include "export/report_folders.h"

namespace quen::ui {
namespace {

template <typename List>
List checked_of(const List* list) {
    List out;
    if (!list) return out;
    for (auto* r : *list)
        if (r && r->checked) out.push_back(r);
    return out;
}

// Makes <output>/<kind> (<n>) and writes the kind's page there. The folder is
// named after the page ("Contacts", "Messages"), as the command line names it,
// not after the tree's label ("Message"). Returns whether the page is on disk;
// a failure is added to `progress`.
template <typename List, typename Export, typename Fn>
bool save_reports(const RecoveryInputs& in, const char* kind, const List& checked, Fn export_fn,
                  RecoveryProgress& progress) {
    const std::string folder = in.output_folder + "/" + exports::counted_label(kind, static_cast<long long>(checked.size()));
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        progress.add_failure(folder + ": " + std::strerror(errno));
        return false;
    }
    const Export job(checked, folder, in.template_path);
    const exports::ReportStatus status = export_fn(job);
    if (status != exports::ReportStatus::Written) {
        progress.add_failure(folder + ": " + exports::report_status_text(status));
        return false;
    }
    return true;
}

}  // namespace

void RecoveryProgress::set_current(std::string name) {
    std::lock_guard lk(mutex_);
    current_ = std::move(name);
}

std::string RecoveryProgress::current() const {
    std::lock_guard lk(mutex_);
    return current_;
}

void RecoveryProgress::add_failure(std::string what) {
    std::lock_guard lk(mutex_);
    failures_.push_back(std::move(what));
}

std::vector<std::string> RecoveryProgress::failures() const {
    std::lock_guard lk(mutex_);
    return failures_;
}

std::string RecoveryProgress::status_text() const {
    char counts[64];
    std::snprintf(counts, sizeof counts, "%" PRIu64 "/%" PRIu64, done.load(), total.load());
    return std::string(counts) + " (" + current() + ")";
}

int RecoveryProgress::percent() const {
    const uint64_t t = total.load();
    return t == 0 ? 0 : static_cast<int>(done.load() * 100 / t);
}

uint64_t count_recovery_total(const RecoveryInputs& in) {
    uint64_t n = 0;
    for (const RecoveryCategory& cat : in.categories) {
        if (!cat.enabled) continue;
        if (cat.kind == kItemContacts)
            n += checked_of(in.contacts).size();
        else if (cat.kind == kItemMessages)
            n += checked_of(in.threads).size();
        else if (cat.kind == kItemDisk && cat.disk)
            n += cdr::count_checked_items(*cat.disk);
    }
    return n;
}

void run_recovery_walk(const RecoveryInputs& in, RecoveryProgress& progress, cdr::RecoveryState& state,
                       MessageSink& dialog) {
    progress.total = count_recovery_total(in);
    progress.done = 0;
    progress.set_current("None");
    cdr::CopyBuffer buffer;

    for (const RecoveryCategory& cat : in.categories) {
        if (state.stop_requested()) break;
        if (!cat.enabled) continue;
        if (cat.kind == kItemContacts) {
            const records::ContactList checked = checked_of(in.contacts);
            if (!checked.empty() &&
                save_reports<records::ContactList, exports::ContactExport>(in, "Contacts", checked, exports::export_contacts, progress))
                progress.done += checked.size();
            progress.set_current("Contacts");
        } else if (cat.kind == kItemMessages) {
            const records::ThreadList checked = checked_of(in.threads);
            if (!checked.empty() &&
                save_reports<records::ThreadList, exports::MessageExport>(in, "Messages", checked, exports::export_messages, progress))
                progress.done += checked.size();
            progress.set_current("Messages");
        } else if (cat.kind == kItemDisk && cat.disk) {
            progress.set_current(cat.disk->name);
            if (state.stop_requested()) break;
            cdr::FoundFileWriterJob job;
            job.window = &dialog;
            job.disk = cat.disk;
            job.destination = cdr::make_disk_folder_text(in.output_folder);
            const cdr::FoundFileWriteResult r = cdr::write_found_files(job, state, buffer, progress.done, in.on_file);
            for (const cdr::FailedFile& f : r.failed) progress.add_failure(f.path + ": " + f.reason);
        }
    }
    if (!state.stop_requested()) state.set(cdr::kRecoveryFinished);
    dialog.post(WM_RECOVERY_DONE, cdr::kRecoveryFinished, 0);
}

}  // namespace quen::ui
