#pragma once
// The recovery worker's walk (no Qt): the top-level categories of the result
// tree in tree order, each checked record or found file saved into the output
// folder the user chose,
//   <output>/Contacts (n)/Contacts.html .vcf .csv   the checked contacts
//   <output>/Messages (n)/Messages.html .xml .csv   the checked message threads
//   <output>/disk<time>/<type>/<name>        each disk's checked found files
// with a counter of saved items against the total and the category being
// saved, until the recovery state asks to stop. It ends by posting
// WM_RECOVERY_DONE (4, 0) to the dialog.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "cdr/output/found_file_writer.h"
#include "cdr/output/recovery_state.h"
#include "cdr/scan/scan_tree.h"
#include "export/export_formats.h"
#include "platform/message_sink.h"
#include "records/model/record_model.h"

namespace quen::ui {

// The kinds of result-tree items.
enum TreeItemKind : int {
    kItemPhone = 0,
    kItemContacts = 1,
    kItemMessages = 2,
    kItemDisk = 3,
    kItemFileType = 4,
};

// One top-level item under the tree's root, as the walk reads it.
struct RecoveryCategory {
    int kind = kItemContacts;
    bool enabled = true;
    std::string label;                         // the item's text, "Contacts (25)"
    const cdr::ScanTreeNode* disk = nullptr;   // kItemDisk: the disk's result node
};

struct RecoveryInputs {
    std::vector<RecoveryCategory> categories;  // in tree order
    const records::ContactList* contacts = nullptr;
    const records::ThreadList* threads = nullptr;
    std::string output_folder;                 // made by the caller
    std::string template_path;                 // empty: template.html beside the program
    exports::ExportFormats formats = exports::ExportFormats::all();
    // Called on the worker after each found file (observers and tests).
    cdr::FileWrittenFn on_file;
};

// What the worker writes and the dialog reads: the counters, the category
// being saved (under a lock, so a half-written name is never read) and what
// could not be saved.
class RecoveryProgress {
public:
    std::atomic<uint64_t> total{0};
    std::atomic<uint64_t> done{0};

    void set_current(std::string name);
    std::string current() const;
    void add_failure(std::string what);
    std::vector<std::string> failures() const;

    // "<done>/<total> (<current>)".
    std::string status_text() const;
    // done * 100 / total, 0 when total is 0.
    int percent() const;

private:
    mutable std::mutex mutex_;
    std::string current_ = "None";
    std::vector<std::string> failures_;
};

// Checked items of every enabled category.
uint64_t count_recovery_total(const RecoveryInputs& in);

// The worker's whole run. The caller sets the state running before it starts
// the worker (so a stop asked at once is not overwritten). Counts the total,
// walks the categories, sets the state finished (unless a stop was asked), posts
// WM_RECOVERY_DONE (4, 0) to `dialog`.
void run_recovery_walk(const RecoveryInputs& in, RecoveryProgress& progress, cdr::RecoveryState& state,
                       MessageSink& dialog);

}  // namespace quen::ui
