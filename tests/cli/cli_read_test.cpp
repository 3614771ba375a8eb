// quenfora-cli read, end to end on the sample phone databases: every live row
// comes back live, every recoverable deleted row comes back deleted, nothing
// twice, in display order.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "export/read_back.h"
#include "platform/local_time.h"
#include "test_support/cli_run.h"
#include "test_support/files.h"

namespace {

namespace fs = std::filesystem;
using quen::test::kCliProgram;
using quen::test::read_file;
using quen::test::shell_quote;

// Runs a shell command line; stdout and the exit code.
std::pair<std::string, int> run(const std::string& cmd) {
    return quen::test::run_command(cmd + " 2>/dev/null");
}

std::vector<std::string> items(const std::string& list) {
    std::vector<std::string> out;
    if (list.empty()) return out;
    size_t start = 0;
    for (size_t bar; (bar = list.find('|', start)) != std::string::npos; start = bar + 1)
        out.push_back(list.substr(start, bar - start));
    out.push_back(list.substr(start));
    return out;
}

// JSON field of a contact that a mimetype's values go to.
std::string field_for(const std::string& mimetype) {
    static const std::map<std::string, std::string> fields = {
        {"vnd.android.cursor.item/email_v2", "email"},
        {"vnd.android.cursor.item/im", "im"},
        {"vnd.android.cursor.item/nickname", "nickname"},
        {"vnd.android.cursor.item/organization", "organization"},
        {"vnd.android.cursor.item/phone_v2", "phone"},
        {"vnd.android.cursor.item/sip_address", "sip_address"},
        {"vnd.android.cursor.item/name", "name"},
        {"vnd.android.cursor.item/postal-address_v2", "postal_address"},
        {"vnd.android.cursor.item/website", "website"},
        {"vnd.android.cursor.item/note", "note"},
    };
    const auto it = fields.find(mimetype);
    return it == fields.end() ? "others" : it->second;
}

std::string str(const rapidjson::Value& v, const char* key) {
    return std::string(v[key].GetString(), v[key].GetStringLength());
}

class CliRead : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        root_ = dir_.path();
        fs::create_directories(root_ / "backup");
        const auto [out, rc] = run(shell_quote(quen::test::kMakeSamplePhoneProgram) + " --variant " + GetParam() + " " + shell_quote((root_ / "work").string()));
        ASSERT_EQ(rc, 0) << out;
        // The backup copies are plain copies of the database files alone.
        for (const char* name : {"contacts2.db", "mmssms.db"})
            fs::copy_file(root_ / "work" / name, root_ / "backup" / name);
        rapidjson::Document expected;
        const std::string text = read_file(root_ / "work" / "expected.json");
        ASSERT_FALSE(expected.Parse(text.c_str()).HasParseError());
        expected_.CopyFrom(expected, expected_.GetAllocator());
    }

    std::string args() const {
        return " read --contacts " + shell_quote((root_ / "work/contacts2.db").string()) + " --contacts-backup " +
               shell_quote((root_ / "backup/contacts2.db").string()) + " --messages " +
               shell_quote((root_ / "work/mmssms.db").string()) + " --messages-backup " +
               shell_quote((root_ / "backup/mmssms.db").string());
    }

    quen::test::TempDir dir_{"quen-cli-read"};
    fs::path root_;
    rapidjson::Document expected_;
};

TEST_P(CliRead, JsonHasEveryLiveAndRecoverableDeletedRowOnce) {
    const auto [out, rc] = run(shell_quote(kCliProgram) + " --quiet" + args() + " --json");
    ASSERT_EQ(rc, 0);
    rapidjson::Document doc;
    ASSERT_FALSE(doc.Parse(out.c_str()).HasParseError()) << out.substr(0, 200);
    ASSERT_TRUE(doc["contacts"].IsArray());
    ASSERT_TRUE(doc["threads"].IsArray());

    // Contacts: (raw_contact_id, deleted) -> record; never twice.
    std::map<std::pair<int64_t, bool>, const rapidjson::Value*> contacts;
    bool seen_live = false;
    for (const auto& c : doc["contacts"].GetArray()) {
        const bool deleted = c["deleted"].GetBool();
        if (!deleted) seen_live = true;
        EXPECT_FALSE(deleted && seen_live) << "deleted contacts come first";
        EXPECT_TRUE(contacts.emplace(std::make_pair(c["raw_contact_id"].GetInt64(), deleted), &c).second);
        for (const char* f : {"name", "phone", "email", "note", "others"}) {
            const auto list = items(str(c, f));
            EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), list.size()) << "repeat in " << f;
        }
    }
    auto check_value = [&](const rapidjson::Value& v, bool deleted) {
        const std::string data1 = str(v, "data1");
        if (data1.empty()) return;
        const auto it = contacts.find({v["raw_contact_id"].GetInt64(), deleted});
        ASSERT_NE(it, contacts.end()) << "contact " << v["raw_contact_id"].GetInt64() << " deleted " << deleted;
        const auto list = items(str(*it->second, field_for(str(v, "mimetype")).c_str()));
        EXPECT_NE(std::find(list.begin(), list.end(), data1), list.end())
            << data1 << " of contact " << v["raw_contact_id"].GetInt64() << " deleted " << deleted;
    };
    const auto& ec = expected_["contacts"];
    ASSERT_GT(ec["live"].Size(), 0u);
    ASSERT_GT(ec["deleted"].Size(), 0u);
    for (const auto& v : ec["live"].GetArray()) check_value(v, false);
    for (const auto& v : ec["deleted"].GetArray()) check_value(v, true);

    // Messages: (address, thread_id, type, date_text, body) -> deleted; never twice.
    using Key = std::tuple<std::string, int64_t, int, std::string, std::string>;
    std::map<Key, bool> messages;
    seen_live = false;
    for (const auto& t : doc["threads"].GetArray()) {
        const bool deleted = t["deleted"].GetBool();
        if (!deleted) seen_live = true;
        EXPECT_FALSE(deleted && seen_live) << "deleted threads come first";
        std::string last_date;
        for (const auto& m : t["messages"].GetArray()) {
            EXPECT_EQ(str(m, "address"), str(t, "address"));
            EXPECT_EQ(m["thread_id"].GetInt64(), t["thread_id"].GetInt64());
            EXPECT_LE(last_date, str(m, "date_text")) << "messages in time order";
            last_date = str(m, "date_text");
            // Where each message was found: live ones in the b-tree, deleted
            // ones wherever they survived.
            static const std::set<std::string> kSources = {"btree", "freeblock", "unallocated", "freelist",
                                                           "wal",   "journal",   "overflow",    "index"};
            EXPECT_TRUE(kSources.count(str(m, "source"))) << str(m, "source");
            if (!m["deleted"].GetBool()) {
                EXPECT_EQ(str(m, "source"), "btree");
            }
            EXPECT_GT(m["page"].GetInt(), 0);
            const Key key{str(m, "address"), m["thread_id"].GetInt64(), m["type"].GetInt(), str(m, "date_text"),
                          str(m, "body")};
            EXPECT_TRUE(messages.emplace(key, m["deleted"].GetBool()).second) << "twice: " << std::get<4>(key);
        }
    }
    std::set<std::string> known_bodies;
    auto check_message = [&](const rapidjson::Value& v, bool deleted) {
        known_bodies.insert(str(v, "body"));
        const std::string date = v["date"].IsNull() ? "" : quen::platform::local_time_from_millis(v["date"].GetInt64());
        const Key key{str(v, "address"), v["thread_id"].GetInt64(), v["type"].GetInt(), date, str(v, "body")};
        const auto it = messages.find(key);
        ASSERT_NE(it, messages.end()) << "missing: " << str(v, "body");
        EXPECT_EQ(it->second, deleted) << str(v, "body");
    };
    const auto& em = expected_["messages"];
    ASSERT_GT(em["live"].Size(), 0u);
    ASSERT_GT(em["deleted"].Size(), 0u);
    for (const auto& v : em["live"].GetArray()) check_message(v, false);
    for (const auto& v : em["deleted"].GetArray()) check_message(v, true);
    // Whatever else came back is a row the sample really deleted (some that
    // the free-space scan cannot rebuild live on in the backup copy), or a
    // record the carver read out of such a row's own text bytes: never bytes
    // from anywhere else.
    for (const auto& v : em["deleted_not_recoverable"].GetArray()) known_bodies.insert(str(v, "body"));
    std::string all_text;
    for (const auto& b : known_bodies) all_text += b + '\x01';
    for (const auto& entry : messages) {
        const auto& [address, thread_id, type, date, body] = entry.first;
        if (known_bodies.count(body)) continue;
        EXPECT_TRUE(entry.second) << "unknown live message: " << body;
        EXPECT_NE(all_text.find(body), std::string::npos) << body;
        EXPECT_NE(all_text.find(address), std::string::npos) << address;
    }
}

// Every file under `dir` (relative path) with its permission bits and a hash
// of its bytes.
std::map<std::string, std::string> folder_state(const fs::path& dir) {
    std::map<std::string, std::string> state;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        const auto perms = static_cast<unsigned>(entry.symlink_status().permissions());
        std::string& item = state[fs::relative(entry.path(), dir).string()];
        item = std::to_string(perms);
        if (entry.is_regular_file()) {
            item += ' ';
            item += std::to_string(std::hash<std::string>{}(read_file(entry.path())));
        }
    }
    return state;
}

// The input folders are evidence: reading them creates, changes and deletes
// nothing there (no "-wal" or "-shm" beside a database in WAL mode, not even
// beside the plain backup copies), and a folder that may not be written to
// reads the same.
TEST_P(CliRead, InputFoldersStayByteIdenticalAndReadOnlyFoldersStillRead) {
    const auto before = folder_state(root_);
    ASSERT_GE(before.size(), 5u);
    const auto [out, rc] = run(shell_quote(kCliProgram) + " --quiet" + args() + " --json");
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(folder_state(root_), before);

    for (const char* sub : {"work", "backup"}) fs::permissions(root_ / sub, fs::perms(0555));
    const auto [again, again_rc] = run(shell_quote(kCliProgram) + " --quiet" + args() + " --json");
    for (const char* sub : {"work", "backup"}) fs::permissions(root_ / sub, fs::perms(0755));
    EXPECT_EQ(again_rc, 0);
    EXPECT_EQ(again, out);
}

TEST_P(CliRead, TextListsCountsThenOneLinePerRecord) {
    if (std::string(GetParam()) != "journal") GTEST_SKIP() << "the layout does not change the listing";
    const auto [json, json_rc] = run(shell_quote(kCliProgram) + " --quiet" + args() + " --json");
    const auto [text, text_rc] = run(shell_quote(kCliProgram) + " --quiet" + args());
    ASSERT_EQ(json_rc, 0);
    ASSERT_EQ(text_rc, 0);
    rapidjson::Document doc;
    ASSERT_FALSE(doc.Parse(json.c_str()).HasParseError());
    size_t messages = 0, deleted_contacts = 0;
    for (const auto& t : doc["threads"].GetArray()) messages += t["messages"].Size();
    for (const auto& c : doc["contacts"].GetArray()) deleted_contacts += c["deleted"].GetBool();

    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    EXPECT_EQ(start, text.size()) << "ends with a line break";
    // Record texts with line breaks (notes, addresses) stay on their line.
    ASSERT_EQ(lines.size(), 3 + doc["contacts"].Size() + doc["threads"].Size() + messages);
    EXPECT_EQ(lines[0], "Contacts: " + std::to_string(doc["contacts"].Size()) + " (" +
                            std::to_string(deleted_contacts) + " deleted)");
    EXPECT_EQ(lines[1].rfind("Threads: " + std::to_string(doc["threads"].Size()) + " (", 0), 0u);
    EXPECT_EQ(lines[2].rfind("Messages: " + std::to_string(messages) + " (", 0), 0u);
    EXPECT_EQ(lines[3].rfind("contact ", 0), 0u);
    EXPECT_EQ(lines[3 + doc["contacts"].Size()].rfind("thread ", 0), 0u);
    EXPECT_EQ(lines.back().rfind("    ", 0), 0u);
}

TEST_P(CliRead, OutSavesTheChosenFormatsOfWhatWasRead) {
    if (std::string(GetParam()) != "wal") GTEST_SKIP() << "one layout is enough for the saving";
    const fs::path out = root_ / "saved here";
    const auto [json, rc] = run(shell_quote(kCliProgram) + " --quiet" + args() + " --json --formats vcf,csv --out " +
                                shell_quote(out.string()));
    ASSERT_EQ(rc, 0);
    rapidjson::Document doc;
    ASSERT_FALSE(doc.Parse(json.c_str()).HasParseError()) << json.substr(0, 200);
    const std::string folder = str(doc, "output_folder");
    EXPECT_EQ(fs::path(folder).parent_path(), out);
    std::vector<std::string> files;
    for (const auto& f : doc["files"].GetArray()) files.push_back(f.GetString());
    const std::string contacts_dir = folder + "/Contacts (" + std::to_string(doc["contacts"].Size()) + ")";
    const std::string messages_dir = folder + "/Messages (" + std::to_string(doc["threads"].Size()) + ")";
    EXPECT_EQ(files, (std::vector<std::string>{contacts_dir + "/Contacts.vcf", contacts_dir + "/Contacts.csv",
                                               messages_dir + "/Messages.csv"}));
    // Nothing else: no page, no XML.
    size_t written = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder)) written += e.is_regular_file();
    EXPECT_EQ(written, 3u);

    // One CSV row per message, with its own deleted flag.
    rapidjson::Document rows;
    quen::test::read_back("csv", files[2], rows);
    if (HasFatalFailure()) return;
    size_t messages = 0, deleted = 0;
    for (const auto& t : doc["threads"].GetArray())
        for (const auto& m : t["messages"].GetArray()) ++messages, deleted += m["deleted"].GetBool();
    ASSERT_EQ(rows.Size(), messages + 1);
    size_t deleted_rows = 0;
    for (rapidjson::SizeType i = 1; i < rows.Size(); ++i) deleted_rows += std::string(rows[i][1].GetString()) == "Yes";
    EXPECT_EQ(deleted_rows, deleted);
}

INSTANTIATE_TEST_SUITE_P(Variants, CliRead, ::testing::Values("journal", "wal", "kitkat"));

TEST(CliReadUsage, FormatsMustBeKnownAndNeedOut) {
    quen::test::TempDir dir{"quen-cli-formats"};
    const std::string cli = shell_quote(kCliProgram) + " --quiet read ";
    EXPECT_EQ(run(cli + "--out " + shell_quote(dir.path()) + " --formats html,pdf").second, 2);
    EXPECT_EQ(run(cli + "--formats vcf").second, 2);
    EXPECT_TRUE(fs::is_empty(dir.path()));
    // An output folder that cannot be made fails the run.
    quen::test::write_file(dir / "a file", "x");
    EXPECT_EQ(run(cli + "--out " + shell_quote((dir / "a file").string())).second, 1);
}

// A copy in which nothing reads as a database is a failure named on stderr,
// not a phone without contacts; the messages are still read.
TEST(CliReadUsage, AFileThatIsNoDatabaseFailsByNameAndTheOtherIsStillRead) {
    quen::test::TempDir dir{"quen-cli-junk"};
    ASSERT_EQ(run(shell_quote(quen::test::kMakeSamplePhoneProgram) + " " + shell_quote(dir.path())).second, 0);
    std::string junk(5000, '\0');
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 7919 + 13) % 251);
    quen::test::write_file(dir / "contacts2.db", junk);
    const auto [out, rc] = quen::test::run_command(shell_quote(kCliProgram) + " --quiet read --contacts " +
                                                   shell_quote((dir / "contacts2.db").string()) + " --messages " +
                                                   shell_quote((dir / "mmssms.db").string()) + " 2>&1");
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("reading contacts stopped: " + (dir / "contacts2.db").string() + ": not an SQLite database"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("reading messages stopped"), std::string::npos) << out;
    EXPECT_NE(out.find("Contacts: 0 (0 deleted)"), std::string::npos) << out;
    EXPECT_EQ(out.find("Messages: 0 "), std::string::npos) << out;
}

TEST(CliReadUsage, NoFilesGivesEmptyListsAndMissingFileIsUsageError) {
    const auto [out, rc] = run(shell_quote(kCliProgram) + " --quiet read --json");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out, "{\"contacts\":[],\"threads\":[]}\n");
    const auto [text, text_rc] = run(shell_quote(kCliProgram) + " --quiet read");
    EXPECT_EQ(text_rc, 0);
    EXPECT_EQ(text, "Contacts: 0 (0 deleted)\nThreads: 0 (0 deleted)\nMessages: 0 (0 deleted)\n");
    EXPECT_EQ(run(shell_quote(kCliProgram) + " read --messages /nonexistent/mmssms.db").second, 2);
}

}  // namespace
