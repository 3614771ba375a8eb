#include "records/readers/messages_reader.h"

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

void read_messages(const ContactMap& contacts, const std::string& work_path, const std::string& backup_path,
                   ThreadMap& threads_out, MessageSink* window) {
    // Free space first: a message both rebuilt and live stays as the rebuilt
    // (deleted) one; then the live rows, work copy before backup copy.
    scan_free_space(FreeSpaceMode::Messages, work_path, threads_out);
    post_load_step(window, 5);
    scan_free_space(FreeSpaceMode::Messages, backup_path, threads_out);
    post_load_step(window, 6);
    read_messages_file(threads_out, work_path, false);
    post_load_step(window, 7);
    read_messages_file(threads_out, backup_path, true);
    post_load_step(window, 8);

    name_threads(contacts, threads_out);
    for (auto& [key, thread] : threads_out) sort_thread_messages(thread);
}

}  // namespace quen::records
