// Fuzz target of the free-space scan: the input is taken as a database file,
// scanned in contacts and in messages mode through the whole entry (probe
// included), and its pages are also walked and carved directly with Android's
// column layouts, so that files SQLite itself refuses still reach the page
// parser.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "records/free_space_carver.h"
#include "records/free_space_scan.h"
#include "records/free_space_walk.h"

namespace {

// The folder of the input files, made once; removed when the process ends
// (libFuzzer and the replay driver both exit normally).
char g_folder[] = "/tmp/quen_fuzz_free_space_XXXXXX";

std::string work_folder() {
    static const bool made = [] {
        if (!mkdtemp(g_folder)) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(g_folder, ec);
        });
        return true;
    }();
    (void)made;
    return g_folder;
}

bool write_file(const std::string& path, const uint8_t* data, size_t size) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) std::remove((path + suffix).c_str());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// `data` of Android's contacts2.db and `sms` of mmssms.db.
quen::records::FreeSpaceLayout android_layout(quen::records::FreeSpaceMode mode, uint32_t root) {
    quen::records::FreeSpaceLayout l;
    l.mode = mode;
    l.root_page = root;
    if (mode == quen::records::FreeSpaceMode::Contacts) {
        l.column_count = 31, l.raw_contact_id = 3, l.data1 = 9;
    } else {
        l.column_count = 19, l.thread_id = 1, l.address = 2, l.date = 4, l.type = 9, l.body = 12;
    }
    return l;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool once = [] {
        quen::records::mimetype_id_table()[2] = "vnd.android.cursor.item/name";
        quen::records::mimetype_id_table()[3] = "vnd.android.cursor.item/phone_v2";
        return true;
    }();
    (void)once;
    const std::string contacts = work_folder() + "/contacts2.db";
    const std::string messages = work_folder() + "/mmssms.db";
    if (!write_file(contacts, data, size) || !write_file(messages, data, size)) return 0;

    quen::records::ContactMap contact_map;
    quen::records::ThreadMap thread_map;
    quen::records::scan_free_space(quen::records::FreeSpaceMode::Contacts, contacts, contact_map);
    quen::records::scan_free_space(quen::records::FreeSpaceMode::Messages, messages, thread_map);

    // The raw walk from a few root pages, whatever SQLite thinks of the file.
    for (uint32_t root = 2; root <= 6; ++root) {
        auto c = android_layout(quen::records::FreeSpaceMode::Contacts, root);
        quen::records::for_each_free_region(contacts, c, [&](std::span<const uint8_t> r) {
            quen::records::carve_contacts(r, c, [](const quen::records::ContactCandidate&) {});
        });
        auto m = android_layout(quen::records::FreeSpaceMode::Messages, root);
        quen::records::for_each_free_region(messages, m, [&](std::span<const uint8_t> r) {
            quen::records::carve_messages(r, m, [](const quen::records::MessageCandidate&) {});
        });
    }
    return 0;
}
