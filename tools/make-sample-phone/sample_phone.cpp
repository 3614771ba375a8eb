#include "sample_phone.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <tuple>

#include "answer_key.h"
#include "records/recovery/android_schemas.h"
#include "tracked_db.h"

namespace quen::sample_phone {

namespace fs = std::filesystem;
using sqlite_cases::TrackedDb;
using sqlite_cases::Value;

namespace {

// Mimetype ids as a phone may have them: id 1 is stored in records as the
// constant 1 (no value byte), ids above 127 as 2-byte integers.
struct MimetypeDef {
    int32_t id;
    const char* text;
};
constexpr MimetypeDef kMimetypes[] = {
    {1, "vnd.android.cursor.item/group_membership"},
    {2, "vnd.android.cursor.item/name"},
    {3, "vnd.android.cursor.item/phone_v2"},
    {4, "vnd.android.cursor.item/email_v2"},
    {5, "vnd.android.cursor.item/organization"},
    {6, "vnd.android.cursor.item/note"},
    {7, "vnd.android.cursor.item/nickname"},
    {8, "vnd.android.cursor.item/postal-address_v2"},
    {9, "vnd.android.cursor.item/website"},
    {10, "vnd.android.cursor.item/im"},
    {11, "vnd.android.cursor.item/contact_event"},
    {12, "vnd.android.cursor.item/photo"},
    {13, "vnd.android.cursor.item/sip_address"},
    {14, "vnd.android.cursor.item/identity"},
    {15, "vnd.android.cursor.item/relation"},
    {130, "vnd.com.example.chat.profile"},
};
enum Mime : int32_t {
    kGroup = 1, kName = 2, kPhone = 3, kEmail = 4, kOrg = 5, kNote = 6, kNick = 7, kPostal = 8,
    kWebsite = 9, kIm = 10, kEvent = 11, kSip = 13, kIdentity = 14, kChat = 130,
};

const char* mimetype_text(int32_t id) {
    for (const auto& mimetype : kMimetypes)
        if (mimetype.id == id) return mimetype.text;
    return "";
}

struct PersonName {
    const char* display;
    const char* given;
    const char* family;
    const char* slug;  // for e-mail addresses
};
constexpr PersonName kNames[] = {
    {"Anna Schmidt", "Anna", "Schmidt", "anna.schmidt"},
    {"José Álvarez", "José", "Álvarez", "jose.alvarez"},
    {"Иван Петров", "Иван", "Петров", "ivan.petrov"},
    {"Ελένη Παπαδοπούλου", "Ελένη", "Παπαδοπούλου", "eleni.p"},
    {"李小龍", "小龍", "李", "li.xiaolong"},
    {"山田 太郎", "太郎", "山田", "yamada.taro"},
    {"محمد علي", "محمد", "علي", "m.ali"},
    {"דוד כהן", "דוד", "כהן", "david.cohen"},
    {"प्रिया शर्मा", "प्रिया", "शर्मा", "priya.sharma"},
    {"김민준", "민준", "김", "minjun.kim"},
    {"Nguyễn Văn An", "An", "Nguyễn", "an.nguyen"},
    {"Łukasz Wójcik", "Łukasz", "Wójcik", "lukasz.wojcik"},
    {"Zoë Brontë", "Zoë", "Brontë", "zoe.bronte"},
    {"Ayşe Yılmaz", "Ayşe", "Yılmaz", "ayse.yilmaz"},
    {"Søren Kierkegård", "Søren", "Kierkegård", "soren.k"},
    {"Olumide Adébáyọ̀", "Olumide", "Adébáyọ̀", "olumide.a"},
};
constexpr const char* kOrgs[] = {"Acme GmbH", "Société Générale", "株式会社サンプル", "ООО «Ромашка»",
                                 "Universidad de Sevilla", "Κτήμα Λαζαρίδη"};
constexpr const char* kNotes[] = {"Met at the conference in Lisbon", "Allergic to peanuts 🥜",
                                  "Call after 6pm\nweekdays only", "Ключи от дачи у него",
                                  "誕生日プレゼントを忘れないこと", "Owes me 20 € for the tickets"};
constexpr const char* kPhrases[] = {
    "See you at 7?", "Ok 👍", "Привет, как дела?", "今日は少し遅れます。", "Bin gleich da.",
    "¿Dónde estás?", "Γεια σου! Τι κάνεις;", "سأتصل بك لاحقا", "Your code is 482913.",
    "Don't forget the milk.", "שלום, מה שלומך?", "🎉🎂 Happy birthday!", "Meeting moved to 3pm\nRoom 4.12",
    "Je suis dans le train.", "Ja, passt.", "Can you send me the address?", "谢谢你的帮助！",
    "Thanks, got it.", "Ring me when you land ✈️", "Parking at level -2, spot 118.",
};

// A deterministic source of choices (std::mt19937's output is fixed by the
// standard; the library's distributions are not, so they are not used).
class Dice {
public:
    explicit Dice(uint32_t seed) : rng_(seed) {}
    uint32_t below(uint32_t bound) { return bound == 0 ? 0 : static_cast<uint32_t>(rng_() % bound); }
    std::string digits(int count) {
        std::string text;
        for (int digit = 0; digit < count; ++digit) text += static_cast<char>('0' + below(10));
        return text;
    }

private:
    std::mt19937 rng_;
};

std::string phone_number(Dice& dice, int style) {
    switch (style % 4) {
        case 0: return "+49 17" + dice.digits(1) + " " + dice.digits(7);
        case 1: return "+4915" + dice.digits(9);
        case 2: return "(555) " + dice.digits(3) + "-" + dice.digits(4);
        default: return "0" + dice.digits(3) + " " + dice.digits(6);
    }
}

std::string sms_body(Dice& dice, int max_body) {
    const size_t target = 5 + dice.below(static_cast<uint32_t>(max_body > 5 ? max_body - 5 : 1));
    std::string body = kPhrases[dice.below(std::size(kPhrases))];
    while (body.size() < target) {
        std::string next = kPhrases[dice.below(std::size(kPhrases))];
        if (body.size() + 1 + next.size() > static_cast<size_t>(max_body)) break;
        body += " " + next;
    }
    return body;
}

struct DataRow {
    int64_t id = 0;
    int32_t mimetype_id = 0;
    int64_t raw_contact_id = 0;
    std::string data1, data2, data3;
    bool deleted = false;
};


struct SmsRow {
    int64_t id = 0;
    Message message;
    bool deleted = false;
};

// What the sample's options come to: the Android version whose schema the
// databases get, how SQLite journals, whether it wipes freed cells, and
// whether it vacuums.
struct Plan {
    std::string android;  // "4.4", "4.4-upgraded", "10", "15"
    std::string journal;  // "delete", "truncate", "persist", "wal", "wal-checkpointed"
    bool secure_delete = false;
    std::string auto_vacuum;  // "none", "full", "incremental"
    bool edits = true;

    bool wal() const { return journal.rfind("wal", 0) == 0; }
    bool kitkat_layout() const { return android.rfind("4.4", 0) == 0; }
    // The schema file the databases start from.
    std::string schema_version() const { return kitkat_layout() ? "04_4" : android; }
};

Plan plan_of(const Options& options) {
    Plan plan;
    plan.android = options.android.empty() ? (options.variant == Variant::KitKat ? "4.4" : "10") : options.android;
    plan.journal = options.journal.empty() ? (options.variant == Variant::Wal ? "wal" : "truncate") : options.journal;
    plan.secure_delete = options.secure_delete;
    plan.auto_vacuum = options.auto_vacuum.empty() ? "none" : options.auto_vacuum;
    plan.edits = options.edits;
    return plan;
}

// The Android schema file `android_<version>_<database>.sql`, run whole.
bool create_schema(TrackedDb& db, const Plan& plan, const std::string& database, std::string& error) {
    const std::string wanted = "android_" + plan.schema_version() + "_" + database + ".sql";
    for (const auto& file : records::recovery::android_schema_files())
        if (file.name == wanted) {
            for (const auto& statement : records::recovery::schema_statements(file.sql))
                if (!db.exec(statement)) return error = db.error(), false;
            return true;
        }
    return error = "no schema file " + wanted, false;
}

// Columns that Android 10 has and 4.4 lacks, added the way the providers'
// upgrades add them: at the end of the table.
bool upgrade_from_kitkat(TrackedDb& db, std::string& error) {
    static const char* const kAdded[] = {
        "ALTER TABLE raw_contacts ADD COLUMN backup_id TEXT;",
        "ALTER TABLE raw_contacts ADD COLUMN metadata_dirty INTEGER NOT NULL DEFAULT 0;",
        "ALTER TABLE raw_contacts ADD COLUMN pinned INTEGER NOT NULL DEFAULT 0;",
        "ALTER TABLE data ADD COLUMN hash_id TEXT;",
        "ALTER TABLE data ADD COLUMN carrier_presence INTEGER NOT NULL DEFAULT 0;",
    };
    for (const char* statement : kAdded)
        if (!db.exec(statement)) return error = db.error(), false;
    return true;
}

bool upgrade_sms_from_kitkat(TrackedDb& db, std::string& error) {
    if (!db.exec("ALTER TABLE sms ADD COLUMN sub_id INTEGER DEFAULT -1;"
                 "ALTER TABLE sms ADD COLUMN creator TEXT;"
                 "ALTER TABLE threads ADD COLUMN archived INTEGER DEFAULT 0;"))
        return error = db.error(), false;
    return true;
}

bool prepare_db(TrackedDb& db, const std::string& path, const Options& options, const Plan& plan, std::string& error) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(path + suffix);
    if (!db.open(path)) return error = db.error(), false;
    std::string journal = plan.journal == "wal-checkpointed" ? "WAL" : plan.journal;
    std::transform(journal.begin(), journal.end(), journal.begin(), ::toupper);
    std::string vacuum = plan.auto_vacuum;
    std::transform(vacuum.begin(), vacuum.end(), vacuum.begin(), ::toupper);
    if (!db.exec("PRAGMA page_size=" + std::to_string(options.page_size) + "; PRAGMA auto_vacuum=" + vacuum +
                 "; PRAGMA journal_mode=" + journal + "; PRAGMA wal_autocheckpoint=0;" +
                 (plan.secure_delete ? "PRAGMA secure_delete=ON;" : "PRAGMA secure_delete=OFF;")))
        return error = db.error(), false;
    return true;
}

// Runs `sql` and remembers the rows of `tables`.
bool run(TrackedDb& db, const std::string& sql, const std::vector<Value>& params, std::vector<std::string> tables,
         std::string& error) {
    if (!db.run(sql, params, tables)) return error = db.error(), false;
    return true;
}

Value text_or_null(const std::string& text) { return text.empty() ? Value{} : Value{text}; }

// Remembers the rows of every table, so that the answer key judges the
// records the recovery gives to any of them.
bool note_every_table(TrackedDb& db, std::string& error) {
    sqlite3_stmt* statement = nullptr;
    std::vector<std::string> tables;
    if (sqlite3_prepare_v2(db.handle(), "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'",
                           -1, &statement, nullptr) == SQLITE_OK)
        while (sqlite3_step(statement) == SQLITE_ROW)
            tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    for (const std::string& table : tables)
        if (!db.note(table)) return error = db.error(), false;
    return true;
}

std::vector<DataRow> make_data_rows(const Options& options, Dice& dice) {
    std::vector<DataRow> rows;
    // Data ids of a phone in use for a while run into the thousands.
    int64_t next_id = 1001;
    auto add = [&](int64_t raw_contact_id, int32_t mimetype_id, std::string data1, std::string data2 = {},
                   std::string data3 = {}) {
        rows.push_back(DataRow{next_id++, mimetype_id, raw_contact_id, std::move(data1), std::move(data2),
                               std::move(data3), false});
        return rows.size() - 1;
    };
    for (int raw_id = 1; raw_id <= options.contacts; ++raw_id) {
        const PersonName& person = kNames[(raw_id - 1) % std::size(kNames)];
        const bool whole = raw_id % 5 == 3;  // the whole contact is deleted
        std::vector<size_t> mine;
        mine.push_back(add(raw_id, kName, person.display, person.given, person.family));
        mine.push_back(add(raw_id, kPhone, phone_number(dice, raw_id), "2"));
        if (raw_id % 2 == 0) {
            size_t added = add(raw_id, kPhone, phone_number(dice, raw_id + 1), "3");
            if (raw_id % 4 == 2) rows[added].deleted = true;
            mine.push_back(added);
        }
        if (raw_id % 7 == 0) mine.push_back(add(raw_id, kPhone, phone_number(dice, raw_id + 2), "1"));
        mine.push_back(add(raw_id, kEmail, std::string(person.slug) + std::to_string(raw_id) + "@mail.example", "1"));
        if (raw_id % 3 == 0) {
            size_t added = add(raw_id, kEmail, std::string(person.slug) + "@work.example", "2");
            if (raw_id % 6 == 3) rows[added].deleted = true;
            mine.push_back(added);
        }
        if (raw_id % 3 == 1) mine.push_back(add(raw_id, kOrg, kOrgs[dice.below(std::size(kOrgs))], "1"));
        if (raw_id % 4 == 0) {
            size_t added = add(raw_id, kNote, kNotes[dice.below(std::size(kNotes))]);
            if (raw_id % 8 == 4) rows[added].deleted = true;
            mine.push_back(added);
        }
        if (raw_id % 5 == 2) mine.push_back(add(raw_id, kNick, std::string(person.given) + "y"));
        if (raw_id % 6 == 0)
            mine.push_back(add(raw_id, kPostal, "Hauptstraße " + std::to_string(raw_id) + "\n10115 Berlin", "1"));
        if (raw_id % 8 == 3) mine.push_back(add(raw_id, kWebsite, "https://example.org/~" + std::string(person.slug)));
        if (raw_id % 9 == 4) mine.push_back(add(raw_id, kIm, std::string(person.slug) + "_im", "0"));
        if (raw_id % 5 == 0)
            mine.push_back(add(raw_id, kEvent, "19" + std::to_string(60 + raw_id % 40) + "-04-12", "3"));
        if (raw_id % 11 == 5) mine.push_back(add(raw_id, kSip, std::string(person.slug) + "@sip.example"));
        if (raw_id % 2 == 1) {
            size_t added = add(raw_id, kGroup, "1");
            if (raw_id % 4 == 1) rows[added].deleted = true;
            mine.push_back(added);
        }
        if (raw_id % 10 == 7) rows[add(raw_id, kChat, "Chat profile " + std::to_string(raw_id))].deleted = true;
        if (raw_id % 13 == 6) rows[add(raw_id, kIdentity, "")].deleted = true;
        if (whole)
            for (size_t added : mine) rows[added].deleted = true;
    }
    // A tail of live rows filling more than a page: rows arrive in ascending
    // rowid order, so every page but the last is full, and the deletions above
    // free far less than two thirds of any of them. More would make SQLite
    // merge the page with its neighbours and overwrite the freed cells.
    size_t tail_bytes = 0;
    for (int raw_id = options.contacts + 1; tail_bytes < options.page_size * 3 / 2; ++raw_id) {
        std::string number = phone_number(dice, raw_id);
        tail_bytes += 40 + number.size();
        add(raw_id, kPhone, number, "2");
    }
    return rows;
}


bool insert_data(TrackedDb& db, const DataRow& row, std::string& error) {
    return run(db,
               "INSERT INTO data (_id, mimetype_id, raw_contact_id, is_primary, data_version, data1, data2, data3) "
               "VALUES (?,?,?,?,?,?,?,?)",
               {row.id, int64_t{row.mimetype_id}, row.raw_contact_id, int64_t{0}, int64_t{1}, row.data1,
                text_or_null(row.data2), text_or_null(row.data3)},
               {}, error);
}

bool write_contacts(TrackedDb& db, const Options& options, const Plan& plan, Dice& dice, std::string& error) {
    if (!create_schema(db, plan, "contacts2", error) ||
        !db.exec("CREATE INDEX raw_contacts_contact_id_index ON raw_contacts (contact_id);"
                 "CREATE INDEX data_raw_contact_id ON data (raw_contact_id);"
                 "CREATE INDEX data_mimetype_data1_index ON data (mimetype_id,data1);") ||
        !db.exec("BEGIN"))
        return error = error.empty() ? db.error() : error, false;
    for (const auto& mimetype : kMimetypes)
        if (!run(db, "INSERT INTO mimetypes (_id, mimetype) VALUES (?,?)", {int64_t{mimetype.id}, std::string(mimetype.text)},
                 {}, error))
            return false;
    db.exec("INSERT INTO accounts (_id, account_name, account_type) VALUES (1, 'owner@gmail.example', 'com.google')");
    std::vector<DataRow> rows = make_data_rows(options, dice);
    const int64_t last_contact = rows.empty() ? 0 : rows.back().raw_contact_id;
    for (int64_t raw_id = 1; raw_id <= last_contact; ++raw_id) {
        const PersonName& person = kNames[(raw_id - 1) % std::size(kNames)];
        if (!run(db,
                 "INSERT INTO raw_contacts (_id, account_id, contact_id, display_name, display_name_alt, sort_key) "
                 "VALUES (?,1,?,?,?,?)",
                 {raw_id, raw_id, std::string(person.display), std::string(person.display), std::string(person.display)},
                 {}, error))
            return false;
    }
    // An upgraded 4.4 phone got its new columns after its first half of rows.
    const size_t half = plan.android == "4.4-upgraded" ? rows.size() / 2 : rows.size();
    for (size_t index = 0; index < rows.size(); ++index) {
        if (index == half && (!db.exec("COMMIT") || !upgrade_from_kitkat(db, error) || !db.exec("BEGIN"))) return false;
        if (!insert_data(db, rows[index], error)) return false;
    }
    if (!db.exec("COMMIT") || !note_every_table(db, error)) return error = error.empty() ? db.error() : error, false;

    // Delete the chosen rows, one statement each, as the provider does.
    if (!db.exec("BEGIN")) return error = db.error(), false;
    for (const DataRow& row : rows)
        if (row.deleted && !run(db, "DELETE FROM data WHERE _id=?", {row.id}, {}, error)) return false;
    for (int raw_id = 1; raw_id <= options.contacts; ++raw_id)
        if (raw_id % 5 == 3 && !run(db, "DELETE FROM raw_contacts WHERE _id=?", {int64_t{raw_id}}, {}, error))
            return false;
    if (!db.exec("COMMIT")) return error = db.error(), false;

    // Edits: a new, longer number for some live contacts; the old one stays
    // behind as the row's earlier version.
    if (plan.edits) {
        if (!db.exec("BEGIN")) return error = db.error(), false;
        for (const DataRow& row : rows)
            if (!row.deleted && row.mimetype_id == kPhone && row.raw_contact_id % 6 == 1 &&
                !run(db, "UPDATE data SET data1 = ? WHERE _id = ?", {"+49 151 " + dice.digits(8) + " 0", row.id},
                     {"data"}, error))
                return false;
        if (!db.exec("COMMIT")) return error = db.error(), false;
    }

    if (plan.wal()) {
        // Fold everything so far into the main file (or, checkpointed, leave
        // its frames in the log for the next writer to start over on), then
        // changes the main file does not know of.
        const char* checkpoint =
            plan.journal == "wal" ? "PRAGMA wal_checkpoint(TRUNCATE)" : "PRAGMA wal_checkpoint(PASSIVE)";
        if (!db.exec(checkpoint)) return error = db.error(), false;
        const int64_t added_id = rows.empty() ? 1001 : rows.back().id + 1;
        if (!run(db, "INSERT INTO data (_id, mimetype_id, raw_contact_id, data1, data2) VALUES (?,?,?,?,?)",
                 {added_id, int64_t{kPhone}, int64_t{1}, std::string("+49 30 1234567"), std::string("3")}, {}, error))
            return false;
        for (const DataRow& row : rows)
            if (!row.deleted && row.id % 23 == 7 && !run(db, "DELETE FROM data WHERE _id=?", {row.id}, {}, error))
                return false;
    }
    return note_every_table(db, error);
}

std::vector<SmsRow> make_sms_rows(const Options& options, Dice& dice, const std::vector<std::string>& addresses) {
    std::vector<SmsRow> rows;
    const int total = options.threads * options.messages_per_thread;
    const int64_t base = 1700000000000;  // 2023-11-14
    for (int index = 0; index < total; ++index) {
        SmsRow row;
        row.id = index + 1;
        row.message.thread_id = 1 + dice.below(static_cast<uint32_t>(options.threads));
        row.message.address = addresses[static_cast<size_t>(row.message.thread_id - 1)];
        row.message.date_ms = base + int64_t{index} * 517000 + dice.below(60000);
        row.message.type = dice.below(3) == 0 ? 2 : 1;
        row.message.body = sms_body(dice, options.max_body);
        row.deleted = index % 4 == 1 || (options.threads > 2 && row.message.thread_id == 2);
        if (index == 5) row.message.date_ms.reset(), row.deleted = true;  // a draft without a date
        if (index == 9) row.message.body.clear(), row.deleted = true;
        rows.push_back(std::move(row));
    }
    // A tail of live messages filling more than a page (see make_data_rows).
    size_t tail_bytes = 0;
    for (int index = total; tail_bytes < options.page_size * 3 / 2; ++index) {
        SmsRow row;
        row.id = index + 1;
        row.message.thread_id = 1;
        row.message.address = addresses[0];
        row.message.date_ms = base + int64_t{index} * 517000;
        row.message.type = 1;
        row.message.body = sms_body(dice, options.max_body);
        tail_bytes += 60 + row.message.address.size() + row.message.body.size();
        rows.push_back(std::move(row));
    }
    return rows;
}


// An sms row with the columns this layout has.
bool insert_sms(TrackedDb& db, const SmsRow& row, bool newer_columns, std::string& error) {
    const bool received = row.message.type == 1;
    std::string sql =
        "INSERT INTO sms (_id, thread_id, address, person, date, date_sent, protocol, read, status, type, "
        "reply_path_present, body, service_center, seen";
    sql += newer_columns ? ", sub_id, creator) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"
                         : ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    // Built step by step: g++ 12 at -O2 warns falsely about conditional
    // temporaries of the variant.
    std::vector<Value> params;
    auto add = [&](Value value) { params.push_back(std::move(value)); };
    add(row.id);
    add(row.message.thread_id);
    add(row.message.address);
    add(Value{});  // person
    if (row.message.date_ms) add(*row.message.date_ms);
    else add(Value{});
    if (received && row.message.date_ms) add(*row.message.date_ms - 4000);
    else add(int64_t{0});
    if (received) add(int64_t{0});
    else add(Value{});  // protocol
    add(int64_t{1});
    add(int64_t{-1});
    add(int64_t{row.message.type});
    if (received) add(int64_t{0});
    else add(Value{});  // reply_path_present
    add(row.message.body);
    if (received) add(std::string("+491760000100"));
    else add(Value{});  // service_center
    add(int64_t{1});
    if (newer_columns) {
        add(int64_t{1});
        if (received) add(Value{});
        else add(std::string("com.google.android.apps.messaging"));
    }
    return run(db, sql, params, {}, error);
}

bool write_messages(TrackedDb& db, const Options& options, const Plan& plan, Dice& dice,
                    const std::vector<ContactValue>& phones, std::string& error) {
    if (!create_schema(db, plan, "mmssms", error) || !db.exec("CREATE INDEX typeThreadIdIndex ON sms (type, thread_id);") ||
        !db.exec("BEGIN"))
        return error = error.empty() ? db.error() : error, false;

    // Thread addresses: the first phone number of some contacts (so that the
    // threads get names), others unknown, one short code.
    std::vector<std::string> addresses;
    for (int thread = 1; thread <= options.threads; ++thread) {
        std::string address;
        for (const ContactValue& value : phones)
            if (value.mimetype_id == kPhone && value.raw_contact_id == 2 * thread) {
                address = value.data1;
                break;
            }
        if (address.empty()) address = thread % 7 == 3 ? "72" + std::to_string(thread) : "+4916" + dice.digits(8);
        addresses.push_back(address);
        if (!run(db, "INSERT INTO canonical_addresses (_id, address) VALUES (?,?)", {int64_t{thread}, address}, {}, error) ||
            !run(db, "INSERT INTO threads (_id, recipient_ids) VALUES (?,?)", {int64_t{thread}, std::to_string(thread)},
                 {}, error))
            return false;
    }
    std::vector<SmsRow> rows = make_sms_rows(options, dice, addresses);
    bool newer = !plan.kitkat_layout();
    const size_t half = plan.android == "4.4-upgraded" ? rows.size() / 2 : rows.size();
    for (size_t index = 0; index < rows.size(); ++index) {
        if (index == half) {
            if (!db.exec("COMMIT") || !upgrade_sms_from_kitkat(db, error) || !db.exec("BEGIN")) return false;
            newer = true;
        }
        if (!insert_sms(db, rows[index], newer, error)) return false;
    }
    if (!db.exec("COMMIT") || !note_every_table(db, error) || !db.exec("BEGIN"))
        return error = error.empty() ? db.error() : error, false;
    for (const SmsRow& row : rows)
        if (row.deleted && !run(db, "DELETE FROM sms WHERE _id=?", {row.id}, {}, error)) return false;
    if (options.threads > 2 && !db.exec("DELETE FROM threads WHERE _id=2")) return error = db.error(), false;
    if (!db.exec("COMMIT")) return error = db.error(), false;

    // Edits: messages read, and a few drafts rewritten.
    if (plan.edits) {
        if (!db.exec("BEGIN")) return error = db.error(), false;
        for (const SmsRow& row : rows) {
            if (row.deleted) continue;
            if (row.id % 5 == 0 && !run(db, "UPDATE sms SET read = 1, seen = 1 WHERE _id = ?", {row.id}, {"sms"}, error))
                return false;
            if (row.id % 13 == 6 &&
                !run(db, "UPDATE sms SET body = body || ' (edited)' WHERE _id = ?", {row.id}, {"sms"}, error))
                return false;
        }
        if (!db.exec("COMMIT")) return error = db.error(), false;
    }

    if (plan.wal()) {
        const char* checkpoint =
            plan.journal == "wal" ? "PRAGMA wal_checkpoint(TRUNCATE)" : "PRAGMA wal_checkpoint(PASSIVE)";
        if (!db.exec(checkpoint) || !db.exec("BEGIN")) return error = db.error(), false;
        for (const SmsRow& row : rows)
            if (!row.deleted && row.id % 9 == 4 && !run(db, "DELETE FROM sms WHERE _id=?", {row.id}, {}, error))
                return false;
        for (int extra = 0; extra < 2; ++extra) {
            SmsRow row;
            row.id = static_cast<int64_t>(rows.size()) + 1 + extra;
            row.message.thread_id = 1;
            row.message.address = addresses[0];
            row.message.date_ms = 1800000000000 + extra * 60000;
            row.message.type = 1;
            row.message.body = "Only in the log " + std::to_string(extra);
            if (!insert_sms(db, row, newer, error)) return false;
        }
        if (!db.exec("COMMIT")) return error = db.error(), false;
    }
    return note_every_table(db, error);
}

std::optional<int64_t> integer_of(const Value& value) {
    if (auto number = std::get_if<int64_t>(&value)) return *number;
    return std::nullopt;
}
std::string text_of(const Value& value) {
    if (auto text = std::get_if<std::string>(&value)) return *text;
    if (auto number = std::get_if<int64_t>(&value)) return std::to_string(*number);
    return {};
}

// Column positions of a table as the case left it.
std::map<std::string, size_t> columns_of(TrackedDb& db, const std::string& table) {
    std::map<std::string, size_t> columns;
    const auto shape = db.shape(table).columns.empty() ? db.last_shape(table) : db.shape(table);
    for (size_t index = 0; index < shape.columns.size(); ++index) columns[shape.columns[index]] = index;
    return columns;
}

// Builds one database in the side folder with `write`, then places it and its
// companions in `outdir` while the connection is still open (closing the last
// connection would checkpoint a "-wal" into the file and delete it), and
// writes its answer key. `note` lists the recorded tables.
template <typename Write>
bool build_and_place(const fs::path& side, const fs::path& outdir, const std::string& name, const Options& options,
                     const Plan& plan, TrackedDb& db, sqlite_cases::AnswerKey& key, Write&& write, std::string& error) {
    const std::string built = (side / name).string();
    if (!prepare_db(db, built, options, plan, error) || !write(db)) return false;
    key.capture(db);
    std::error_code ec;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        fs::path target = outdir / (name + suffix);
        fs::remove(target, ec);
        // A log is copied while the connection holds it; a journal only
        // stays where the mode keeps it (PERSIST).
        if (fs::exists(built + suffix)) {
            fs::copy_file(built + suffix, target, ec);
            if (ec) return error = "cannot write " + target.string() + ": " + ec.message(), false;
        }
    }
    return true;
}

std::string family_of(const Plan& plan) {
    std::string family = "android-" + plan.android + "-" + plan.journal;
    if (plan.secure_delete) family += "-secure";
    if (plan.auto_vacuum != "none") family += "-vacuum-" + plan.auto_vacuum;
    return family;
}

}  // namespace

std::optional<Sample> make_sample_phone(const std::string& outdir, const Options& options, std::string& error) {
    std::error_code ec;
    fs::create_directories(outdir, ec);
    const fs::path side = fs::path(outdir) / ".sample-build";
    fs::remove_all(side, ec);
    if (!fs::create_directories(side, ec)) {
        error = "cannot create " + side.string();
        return std::nullopt;
    }
    const Plan plan = plan_of(options);
    Sample sample;
    for (const auto& mimetype : kMimetypes) sample.mimetypes.emplace_back(mimetype.id, mimetype.text);
    Dice dice(options.seed);
    TrackedDb contacts_db, messages_db;
    sqlite_cases::AnswerKey contacts_key(family_of(plan), "contacts2"), messages_key(family_of(plan), "mmssms");
    std::vector<ContactValue> live_phones;
    bool ok = build_and_place(side, outdir, "contacts2.db", options, plan, contacts_db, contacts_key,
                              [&](TrackedDb& db) { return write_contacts(db, options, plan, dice, error); }, error);
    if (ok) {
        const auto columns = columns_of(contacts_db, "data");
        for (const auto& row : contacts_db.rows("data")) {
            ContactValue value;
            value.raw_contact_id = integer_of(row.values[columns.at("raw_contact_id")]).value_or(0);
            value.mimetype_id = static_cast<int32_t>(integer_of(row.values[columns.at("mimetype_id")]).value_or(0));
            value.data1 = text_of(row.values[columns.at("data1")]);
            live_phones.push_back(value);
        }
        ok = build_and_place(side, outdir, "mmssms.db", options, plan, messages_db, messages_key,
                             [&](TrackedDb& db) { return write_messages(db, options, plan, dice, live_phones, error); },
                             error);
    }
    if (!ok) {
        fs::remove_all(side, ec);
        return std::nullopt;
    }
    sample.contacts_path = (fs::path(outdir) / "contacts2.db").string();
    sample.messages_path = (fs::path(outdir) / "mmssms.db").string();
    auto files_of = [&](const std::string& path) {
        sqlite_cases::CaseFiles files{path, "", ""};
        if (fs::exists(path + "-wal")) files.wal = path + "-wal";
        if (fs::exists(path + "-journal")) files.journal = path + "-journal";
        return files;
    };
    const auto contacts_files = files_of(sample.contacts_path), messages_files = files_of(sample.messages_path);

    // The lists for `read`: values and messages as the readers show them. A
    // deleted version equal to a live one (a row that only gained a label or
    // was marked read) is no deleted record; of the others, those whose bytes
    // survive in the files are recoverable.
    const auto data_columns = columns_of(contacts_db, "data");
    auto value_of = [&](const sqlite_cases::RowVersion& row) {
        ContactValue value;
        value.raw_contact_id = integer_of(row.values[data_columns.at("raw_contact_id")]).value_or(0);
        value.mimetype_id = static_cast<int32_t>(integer_of(row.values[data_columns.at("mimetype_id")]).value_or(0));
        value.mimetype = mimetype_text(value.mimetype_id);
        value.data1 = text_of(row.values[data_columns.at("data1")]);
        return value;
    };
    auto same_value = [](const ContactValue& a, const ContactValue& b) {
        return a.raw_contact_id == b.raw_contact_id && a.mimetype_id == b.mimetype_id && a.data1 == b.data1;
    };
    for (const auto& row : contacts_db.rows("data")) sample.live_values.push_back(value_of(row));
    for (const auto& [row, survives] : contacts_key.gone_rows("data", contacts_files, "UTF-8")) {
        ContactValue value = value_of(row);
        if (std::any_of(sample.live_values.begin(), sample.live_values.end(),
                        [&](const ContactValue& live) { return same_value(live, value); }) ||
            std::any_of(sample.deleted_values.begin(), sample.deleted_values.end(),
                        [&](const ContactValue& other) { return same_value(other, value); }))
            continue;
        (survives && !value.data1.empty() ? sample.deleted_values : sample.lost_values).push_back(std::move(value));
    }

    const auto sms_columns = columns_of(messages_db, "sms");
    auto message_of = [&](const sqlite_cases::RowVersion& row) {
        Message message;
        message.thread_id = integer_of(row.values[sms_columns.at("thread_id")]).value_or(0);
        message.address = text_of(row.values[sms_columns.at("address")]);
        message.date_ms = integer_of(row.values[sms_columns.at("date")]);
        message.type = static_cast<int32_t>(integer_of(row.values[sms_columns.at("type")]).value_or(0));
        message.body = text_of(row.values[sms_columns.at("body")]);
        return message;
    };
    auto same_message = [](const Message& a, const Message& b) {
        return std::tie(a.thread_id, a.address, a.date_ms, a.type, a.body) ==
               std::tie(b.thread_id, b.address, b.date_ms, b.type, b.body);
    };
    for (const auto& row : messages_db.rows("sms")) sample.live_messages.push_back(message_of(row));
    for (const auto& [row, survives] : messages_key.gone_rows("sms", messages_files, "UTF-8")) {
        Message message = message_of(row);
        if (std::any_of(sample.live_messages.begin(), sample.live_messages.end(),
                        [&](const Message& live) { return same_message(live, message); }) ||
            std::any_of(sample.deleted_messages.begin(), sample.deleted_messages.end(),
                        [&](const Message& other) { return same_message(other, message); }))
            continue;
        const bool shown = !message.body.empty() || !message.address.empty();
        (survives && shown ? sample.deleted_messages : sample.lost_messages).push_back(std::move(message));
    }

    ok = contacts_key.write((fs::path(outdir) / "contacts2.key.json").string(), contacts_files, "UTF-8") &&
         messages_key.write((fs::path(outdir) / "mmssms.key.json").string(), messages_files, "UTF-8");
    contacts_db.close(true);
    messages_db.close(true);
    fs::remove_all(side, ec);
    if (!ok) {
        error = "cannot write the answer keys";
        return std::nullopt;
    }
    return sample;
}

bool parse_variant(const std::string& text, Variant& out) {
    if (text == "journal") return out = Variant::Journal, true;
    if (text == "wal") return out = Variant::Wal, true;
    if (text == "kitkat") return out = Variant::KitKat, true;
    return false;
}

const char* variant_name(Variant variant) {
    switch (variant) {
        case Variant::Journal: return "journal";
        case Variant::Wal: return "wal";
        case Variant::KitKat: return "kitkat";
    }
    return "?";
}

}  // namespace quen::sample_phone
