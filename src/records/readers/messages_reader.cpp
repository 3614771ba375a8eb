#include "records/readers/messages_reader.h"

#include <algorithm>

#include "records/free_space/free_space_scan.h"
#include "records/readers/live_reader.h"
#include "records/readers/load_progress.h"

namespace quen::records {

void read_messages_file(ThreadMap& map, const std::string& path, bool deleted) {
    for (auto& entry : read_live_messages(path)) {
        ThreadRecord& thread = find_or_create_thread(map, entry.address, entry.thread_id, deleted);
        MessageRecord message;
        message.type = entry.type;
        message.thread_id = entry.thread_id;
        message.deleted = deleted;
        message.date_text = std::move(entry.date_text);
        message.date_millis = entry.date_millis;
        message.address = std::move(entry.address);
        message.body = std::move(entry.body);
        add_message(thread, std::move(message));
    }
}

namespace {

// Files the messages rebuilt from free space into `threads`, after the live
// ones: a rebuilt copy equal to a message already there (the live row's own
// older cell, or the same message seen in both copies) is dropped, so a live
// message is never shown a second time as deleted.
void file_rebuilt_messages(ThreadMap& rebuilt, ThreadMap& threads) {
    for (auto& [key, from] : rebuilt) {
        ThreadRecord& thread = find_or_create_thread(threads, from.address, from.thread_id, true);
        for (auto& message : from.messages) add_message(thread, std::move(message));
    }
}

// A thread is deleted only when none of its messages is live: "deleted"
// tells the user the conversation is gone from the phone.
void flag_threads(ThreadMap& threads) {
    for (auto& [key, thread] : threads)
        thread.deleted = std::none_of(thread.messages.begin(), thread.messages.end(),
                                      [](const MessageRecord& message) { return !message.deleted; });
}

}  // namespace

void read_messages(const ContactMap& contacts, const std::string& work_path, const std::string& backup_path,
                   ThreadMap& threads_out, MessageSink* window) {
    // The steps run in the phone read's order (free space, then the live
    // rows), but what is live decides: rebuilt messages are filed last.
    ThreadMap rebuilt;
    scan_free_space(FreeSpaceMode::Messages, work_path, rebuilt);
    post_load_step(window, 5);
    scan_free_space(FreeSpaceMode::Messages, backup_path, rebuilt);
    post_load_step(window, 6);
    read_messages_file(threads_out, work_path, false);
    post_load_step(window, 7);
    read_messages_file(threads_out, backup_path, true);
    post_load_step(window, 8);
    file_rebuilt_messages(rebuilt, threads_out);
    flag_threads(threads_out);

    name_threads(contacts, threads_out);
    for (auto& [key, thread] : threads_out) sort_thread_messages(thread);
}

}  // namespace quen::records
