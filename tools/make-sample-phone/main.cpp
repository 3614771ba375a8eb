// make-sample-phone: writes a sample contacts2.db and mmssms.db with deleted
// and edited rows, expected.json (what `read` must show) and the answer keys
// of recovery-score beside them.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "sample_phone.h"

int main(int argc, char** argv) {
    using namespace quen::sample_phone;
    CLI::App app{"Writes a sample phone's contacts2.db and mmssms.db, with a known set of deleted rows, "
                 "and expected.json describing them"};
    std::string outdir, variant = "journal";
    Options options;
    app.add_option("outdir", outdir, "Folder for the databases")->required();
    app.add_option("--variant", variant, "journal, wal or kitkat")
        ->check(CLI::IsMember({"journal", "wal", "kitkat"}));
    app.add_option("--seed", options.seed, "Seed of the contents");
    app.add_option("--page-size", options.page_size, "SQLite page size")
        ->check(CLI::IsMember({512u, 1024u, 2048u, 4096u, 8192u, 16384u, 32768u}));
    app.add_option("--contacts", options.contacts, "Number of contacts")->check(CLI::Range(1, 1000000));
    app.add_option("--threads", options.threads, "Number of sms threads")->check(CLI::Range(1, 100000));
    app.add_option("--messages-per-thread", options.messages_per_thread, "Average sms per thread")
        ->check(CLI::Range(1, 100000));
    app.add_option("--max-body", options.max_body, "Longest sms body in bytes")->check(CLI::Range(20, 2000));
    app.add_option("--android", options.android, "Android version of the schemas (instead of the variant's)")
        ->check(CLI::IsMember({"4.4", "4.4-upgraded", "10", "15"}));
    app.add_option("--journal", options.journal, "SQLite journal mode (instead of the variant's)")
        ->check(CLI::IsMember({"delete", "truncate", "persist", "wal", "wal-checkpointed"}));
    app.add_flag("--secure-delete", options.secure_delete, "SQLite wipes what it frees (stock since Android 8)");
    app.add_option("--auto-vacuum", options.auto_vacuum, "SQLite auto-vacuum")
        ->check(CLI::IsMember({"none", "full", "incremental"}));
    bool no_edits = false;
    app.add_flag("--no-edits", no_edits, "Only deletions, no edited rows");
    CLI11_PARSE(app, argc, argv);
    parse_variant(variant, options.variant);
    options.edits = !no_edits;

    std::string error;
    auto sample = make_sample_phone(outdir, options, error);
    if (!sample) {
        std::fprintf(stderr, "make-sample-phone: %s\n", error.c_str());
        return 1;
    }
    const std::string expected = outdir + "/expected.json";
    if (!write_expected_json(expected, *sample, options)) {
        std::fprintf(stderr, "make-sample-phone: cannot write %s\n", expected.c_str());
        return 1;
    }
    std::printf("%s: %zu live and %zu deleted contact values, %zu live and %zu deleted sms "
                "(%zu + %zu deleted whose bytes do not survive)\n",
                outdir.c_str(), sample->live_values.size(), sample->deleted_values.size(),
                sample->live_messages.size(), sample->deleted_messages.size(), sample->lost_values.size(),
                sample->lost_messages.size());
    return 0;
}
