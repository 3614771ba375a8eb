#include "records/readers/messages_reader.h"

#include <algorithm>

#include "records/readers/android_tables.h"
#include "records/readers/load_progress.h"

namespace quen::records {

namespace {

MessageRecord message_of(const SmsRow& row, bool deleted) {
    MessageRecord message;
    message.type = row.type;
    message.thread_id = row.thread_id;
    message.deleted = deleted;
    if (row.has_date) {
        message.date_millis = row.date_millis;
        message.date_text = sms_date_text(row.date_millis);
    }
    message.address = row.address;
    message.body = row.body;
    message.origin = row.origin;
    return message;
}

void add_rows(ThreadMap& map, const std::vector<SmsRow>& rows, bool deleted) {
    for (const SmsRow& row : rows)
        add_message(find_or_create_thread(map, row.address, row.thread_id, deleted), message_of(row, deleted));
}

// A thread is deleted only when none of its messages is live: "deleted"
// tells the user the conversation is gone from the phone.
void flag_threads(ThreadMap& threads) {
    for (auto& [key, thread] : threads)
        thread.deleted = std::none_of(thread.messages.begin(), thread.messages.end(),
                                      [](const MessageRecord& message) { return !message.deleted; });
}

}  // namespace

void read_messages_file(ThreadMap& map, const std::string& path, bool deleted) {
    add_rows(map, read_messages_database(path).live, deleted);
}

void read_messages(const ContactMap& contacts, const std::string& work_path, const std::string& backup_path,
                   ThreadMap& threads_out, MessageSink* window) {
    // Each copy is searched whole (its deleted rows, then its live rows are
    // taken); what is live decides the flags: the live rows are filed first,
    // work copy before backup copy, and a deleted row equal to a message
    // already filed is dropped by the duplicate test.
    const MessagesDatabase work = read_messages_database(work_path);
    post_load_step(window, 5);
    const MessagesDatabase backup = read_messages_database(backup_path);
    post_load_step(window, 6);
    add_rows(threads_out, work.live, false);
    post_load_step(window, 7);
    add_rows(threads_out, backup.live, true);
    post_load_step(window, 8);
    add_rows(threads_out, work.deleted, true);
    add_rows(threads_out, backup.deleted, true);
    flag_threads(threads_out);

    name_threads(contacts, threads_out);
    for (auto& [key, thread] : threads_out) sort_thread_messages(thread);
}

}  // namespace quen::records
