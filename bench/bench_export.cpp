// Speed of saving recovered records in the files phones and spreadsheets
// import: vCard, SMS Backup & Restore XML and CSV, each built in memory and
// written to a temporary folder, best of 3. The records are made here: 20 000
// contacts and 100 000 messages in 400 threads, texts in several scripts.
//
//   bench_export
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "export/csv_file.h"
#include "export/file_output.h"
#include "export/sms_backup_xml.h"
#include "export/vcard_file.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace quen;

constexpr const char* kWords[] = {"Привет,", "как", "дела?", "今日は少し遅れます。", "Bin", "gleich", "da;",
                                  "¿Dónde", "estás?", "سأتصل", "بك", "لاحقا", "🎉🎂", "Happy", "birthday!",
                                  "Meeting\nmoved", "to", "3pm", "<b>&", "\"quoted\"", "back\\slash"};

std::string words(unsigned seed, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += kWords[(seed * 7 + i * 13) % std::size(kWords)];
    }
    return text;
}

template <typename Work>
double best_of(int runs, Work&& work) {
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main() {
    std::vector<records::ContactRecord> contact_store(20000);
    records::ContactList contacts;
    for (unsigned i = 0; i < contact_store.size(); ++i) {
        auto& c = contact_store[i];
        c.name = words(i, 2);
        c.phone = "+49 171 " + std::to_string(5550000 + i) + "|0171 " + std::to_string(5550000 + i);
        c.email = "person" + std::to_string(i) + "@mail.example";
        c.note = words(i + 1, 12);
        c.postal_address = "Hauptstraße " + std::to_string(i) + "\n10115 Berlin";
        contacts.push_back(&c);
    }
    std::vector<records::ThreadRecord> thread_store(400);
    records::ThreadList threads;
    for (unsigned t = 0; t < thread_store.size(); ++t) {
        auto& thread = thread_store[t];
        thread.name = words(t, 2);
        thread.address = "+49 171 " + std::to_string(5550000 + t);
        for (unsigned m = 0; m < 250; ++m) {
            records::MessageRecord message;
            message.type = 1 + m % 2;
            message.address = thread.address;
            message.date_millis = 1700000000000 + int64_t{m} * 60000;
            message.date_text = "2023-11-14 22:13:20";
            message.body = words(t * 250 + m, 4 + m % 40);
            thread.messages.push_back(std::move(message));
        }
        threads.push_back(&thread);
    }

    const fs::path folder = fs::temp_directory_path() / "quen-bench-export";
    fs::create_directories(folder);
    struct Case {
        const char* name;
        size_t records;
        std::string (*make)(const records::ContactList&, const records::ThreadList&);
    };
    const Case cases[] = {
        {"Contacts.vcf", contacts.size(), [](const auto& c, const auto&) { return exports::vcard_text(c); }},
        {"Contacts.csv", contacts.size(),
         [](const auto& c, const auto&) { return exports::csv_text(exports::contact_csv_rows(c)); }},
        {"Messages.xml", 100000, [](const auto&, const auto& t) { return exports::sms_backup_xml(t); }},
        {"Messages.csv", 100000,
         [](const auto&, const auto& t) { return exports::csv_text(exports::message_csv_rows(t)); }},
    };
    std::printf("%-14s %10s %10s %12s %14s\n", "file", "records", "MB", "MB/s", "records/s");
    for (const Case& c : cases) {
        size_t bytes = 0;
        const double seconds = best_of(3, [&] {
            const std::string text = c.make(contacts, threads);
            bytes = text.size();
            if (!exports::write_file_replacing((folder / c.name).string(), text)) std::fprintf(stderr, "write failed\n");
        });
        std::printf("%-14s %10zu %10.1f %12.1f %14.0f\n", c.name, c.records, bytes / 1e6, bytes / 1e6 / seconds,
                    c.records / seconds);
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
