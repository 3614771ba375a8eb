#include "ui/recovery/recovery_walk.h"

#include <cinttypes>
#include <cstdio>

#include "export/kind_folder.h"
#include "export/report_folders.h"

namespace quen::ui {
namespace {

template <typename List>
List checked_of(const List* list) {
    return list ? exports::checked_records(*list) : List{};
}

// Whether every file of one kind is on disk; a failure is added to `progress`.
// Each kind is saved through the call the command line uses too, so the
// window and `phone --out` leave the same folders and files; the folder is
// named after the page ("Contacts", "Messages"), not the tree's label
// ("Message").
bool saved_whole(const exports::KindFiles& files, RecoveryProgress& progress) {
    if (files.ok) return true;
    progress.add_failure((files.folder.empty() ? std::string("report") : files.folder) + ": " + files.error);
    return false;
}

// "Contacts (12)": the label the folder is named after.
template <typename List>
std::string kind_label(const char* kind, const List& checked) {
    return exports::counted_label(kind, static_cast<long long>(checked.size()));
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
    exports::ExportOptions options;
    options.formats = in.formats;
    options.template_path = in.template_path;

    for (const RecoveryCategory& cat : in.categories) {
        if (state.stop_requested()) break;
        if (!cat.enabled) continue;
        if (cat.kind == kItemContacts) {
            const records::ContactList checked = checked_of(in.contacts);
            if (!checked.empty() &&
                saved_whole(exports::write_contacts_folder(in.output_folder, kind_label("Contacts", checked), checked, options), progress))
                progress.done += checked.size();
            progress.set_current("Contacts");
        } else if (cat.kind == kItemMessages) {
            const records::ThreadList checked = checked_of(in.threads);
            if (!checked.empty() &&
                saved_whole(exports::write_messages_folder(in.output_folder, kind_label("Messages", checked), checked, options), progress))
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
