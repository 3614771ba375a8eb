#include "records/messages_reader.h"

#include "records/contacts_reader.h"
#include "records/free_space_scan.h"
#include "records/live_reader.h"

namespace quen::records {

namespace {

void post_step(MessageSink* window, WParam step) {
    if (window) window->post(WM_LOAD_PROGRESS, step, kLoadStepCount);
}

}  // namespace

void read_messages_file(ThreadMap& map, const std::string& path, bool deleted) {
    for (auto& entry : read_live_messages(path)) {
        ThreadRecord& thread = find_or_create_thread(map, entry.address, entry.thread_id, deleted);
        MessageRecord m;
        m.type = entry.type;
        m.thread_id = entry.thread_id;
        m.deleted = deleted;
        m.date_text = std::move(entry.date_text);
        m.address = std::move(entry.address);
        m.body = std::move(entry.body);
        add_message(thread, std::move(m));
    }
}

void read_messages(const ContactMap& contact_map, const std::string& work_path, const std::string& backup_path,
                   ThreadMap& thread_map, MessageSink* window) {
    // Free space first: a message both rebuilt and live stays as the rebuilt
    // (deleted) one; then the live rows, work copy before backup copy.
    scan_free_space(FreeSpaceMode::Messages, work_path, thread_map);
    post_step(window, 5);
    scan_free_space(FreeSpaceMode::Messages, backup_path, thread_map);
    post_step(window, 6);
    read_messages_file(thread_map, work_path, false);
    post_step(window, 7);
    read_messages_file(thread_map, backup_path, true);
    post_step(window, 8);

    name_threads(contact_map, thread_map);
    for (auto& [key, thread] : thread_map) sort_thread_messages(thread);
}

}  // namespace quen::records
