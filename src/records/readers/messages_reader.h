#pragma once
// Messages reader: turns the pulled mmssms.db (work copy with its "-wal" and
// "-journal" beside it, and the plain backup copy) into threads and messages:
// the live rows, then every deleted row that the recovery engine finds and
// that is not live; then names the threads after contacts and puts each
// thread's messages in time order. A message the work copy holds is live; a
// thread is live as soon as one of its messages is.
#include <string>

#include "platform/message_sink.h"
#include "records/model/record_model.h"

namespace quen::records {

// Reads both copies into `threads_out`, naming the threads after `contacts`.
// Posts WM_LOAD_PROGRESS with steps 5 to 8 (of 8) to `window` (may be null).
void read_messages(const ContactMap& contacts, const std::string& work_path, const std::string& backup_path,
                   ThreadMap& threads_out, MessageSink* window);

// The live messages of one file into `map`; `deleted` flags the messages added
// and the threads created.
void read_messages_file(ThreadMap& map, const std::string& path, bool deleted);

}  // namespace quen::records
