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

#include "records/free_space/android_rows.h"
#include "records/free_space/free_regions.h"
#include "records/free_space/free_space_scan.h"
#include "records/model/mimetype_tables.h"

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
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// `data` of Android's contacts2.db and `sms` of mmssms.db.
quen::records::FreeSpaceLayout android_layout(quen::records::FreeSpaceMode mode, uint32_t root) {
    quen::records::FreeSpaceLayout layout;
    layout.mode = mode;
    layout.root_page = root;
    if (mode == quen::records::FreeSpaceMode::Contacts) {
        layout.column_count = 31, layout.raw_contact_id = 3, layout.data1 = 9;
    } else {
        layout.column_count = 19, layout.thread_id = 1, layout.address = 2, layout.date = 4, layout.type = 9,
        layout.body = 12;
    }
    return layout;
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
        const auto contacts_layout = android_layout(quen::records::FreeSpaceMode::Contacts, root);
        const auto data_row = quen::records::data_row_pattern(contacts_layout);
        quen::records::for_each_free_region(contacts, contacts_layout, [&](std::span<const uint8_t> region) {
            quen::records::carve_contacts(region, *data_row, [](const quen::records::ContactCandidate&) {});
        });
        const auto messages_layout = android_layout(quen::records::FreeSpaceMode::Messages, root);
        const auto sms_row = quen::records::sms_row_pattern(messages_layout);
        quen::records::for_each_free_region(messages, messages_layout, [&](std::span<const uint8_t> region) {
            quen::records::carve_messages(region, *sms_row, [](const quen::records::MessageCandidate&) {});
        });
    }
    return 0;
}
