#include "sample_phone.h"

#include <filesystem>
#include <random>

#include "sample_db.h"
#include "sample_schema.h"

namespace quen::sample_phone {

namespace fs = std::filesystem;

namespace {

// Mimetype ids as a phone may have them. Id 1 is stored in records as the
// constant 1 (serial type 9) and ids above 127 as 2-byte integers: the rows
// of such mimetypes are not rebuilt from free space.
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
    bool deleted_in_log = false;  // WAL variant: deleted after the last checkpoint
};

// Whether the free-space scan can rebuild a deleted data row: its mimetype id
// must be stored as a 1-byte integer (2..127) and its data1 must be a
// non-empty text.
bool rebuildable(const DataRow& row) {
    return row.mimetype_id >= 2 && row.mimetype_id <= 127 && !row.data1.empty();
}
bool rebuildable(const Message& message) {
    return message.date_ms && !message.address.empty() && !message.body.empty();
}

ContactValue value_of(const DataRow& row) {
    return ContactValue{row.raw_contact_id, row.mimetype_id, mimetype_text(row.mimetype_id), row.data1};
}

bool prepare_db(SampleDb& db, const std::string& path, const Options& options, std::string& error) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(path + suffix);
    if (!db.open(path)) return error = db.error(), false;
    const std::string mode = options.variant == Variant::Wal ? "WAL" : "TRUNCATE";
    // secure_delete off, as on a phone: freed cells keep their bytes.
    if (!db.exec("PRAGMA page_size=" + std::to_string(options.page_size) + "; PRAGMA secure_delete=OFF;"
                 "PRAGMA auto_vacuum=NONE; PRAGMA journal_mode=" + mode + "; PRAGMA wal_autocheckpoint=0;"))
        return error = db.error(), false;
    return true;
}

std::vector<DataRow> make_data_rows(const Options& options, Dice& dice) {
    std::vector<DataRow> rows;
    // Data ids of a phone in use for a while run into the thousands. (With
    // ids below 128 and short rows, the first row of a freeblock loses its
    // first serial type to the freeblock header and is not rebuilt.)
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

bool write_contacts(SampleDb& db, const Options& options, Dice& dice, Sample& sample, std::string& error) {
    const bool kitkat = options.variant == Variant::KitKat;
    if (!db.exec(contacts_schema(kitkat)) || !db.exec("BEGIN")) return error = db.error(), false;
    for (const auto& mimetype : kMimetypes) {
        if (!db.run("INSERT INTO mimetypes (_id, mimetype) VALUES (?,?)",
                    {sql_int(mimetype.id), sql_text(mimetype.text)}))
            return error = db.error(), false;
        sample.mimetypes.emplace_back(mimetype.id, mimetype.text);
    }
    db.exec("INSERT INTO accounts (_id, account_name, account_type) VALUES (1, 'owner@gmail.example', "
            "'com.google')");
    std::vector<DataRow> rows = make_data_rows(options, dice);
    const int64_t last_contact = rows.empty() ? 0 : rows.back().raw_contact_id;
    for (int64_t raw_id = 1; raw_id <= last_contact; ++raw_id) {
        const PersonName& person = kNames[(raw_id - 1) % std::size(kNames)];
        if (!db.run("INSERT INTO raw_contacts (_id, account_id, contact_id, display_name, display_name_alt, "
                    "sort_key) VALUES (?,1,?,?,?,?)",
                    {sql_int(raw_id), sql_int(raw_id), sql_text(person.display), sql_text(person.display),
                     sql_text(person.display)}))
            return error = db.error(), false;
    }
    for (const DataRow& row : rows) {
        if (!db.run("INSERT INTO data (_id, mimetype_id, raw_contact_id, is_primary, data_version, data1, data2, "
                    "data3) VALUES (?,?,?,?,?,?,?,?)",
                    {sql_int(row.id), sql_int(row.mimetype_id), sql_int(row.raw_contact_id), sql_int(0), sql_int(1),
                     sql_text(row.data1), row.data2.empty() ? sql_null() : sql_text(row.data2),
                     row.data3.empty() ? sql_null() : sql_text(row.data3)}))
            return error = db.error(), false;
    }
    if (!db.exec("COMMIT")) return error = db.error(), false;

    // Delete the chosen rows, one statement each, as the provider does.
    if (!db.exec("BEGIN")) return error = db.error(), false;
    for (const DataRow& row : rows)
        if (row.deleted && !db.run("DELETE FROM data WHERE _id=?", {sql_int(row.id)})) return error = db.error(), false;
    for (int raw_id = 1; raw_id <= options.contacts; ++raw_id)
        if (raw_id % 5 == 3 && !db.run("DELETE FROM raw_contacts WHERE _id=?", {sql_int(raw_id)}))
            return error = db.error(), false;
    if (!db.exec("COMMIT")) return error = db.error(), false;

    if (options.variant == Variant::Wal) {
        // The deletions into the main file; a new number in the log only.
        if (!db.exec("PRAGMA wal_checkpoint(TRUNCATE)")) return error = db.error(), false;
        DataRow added{rows.empty() ? 1001 : rows.back().id + 1, kPhone, 1, "+49 30 1234567", "3", {}, false};
        if (!db.run("INSERT INTO data (_id, mimetype_id, raw_contact_id, data1, data2) VALUES (?,?,?,?,?)",
                    {sql_int(added.id), sql_int(added.mimetype_id), sql_int(1), sql_text(added.data1),
                     sql_text(added.data2)}))
            return error = db.error(), false;
        rows.push_back(added);
    }
    for (const DataRow& row : rows) {
        if (!row.deleted) sample.live_values.push_back(value_of(row));
        else if (rebuildable(row)) sample.deleted_values.push_back(value_of(row));
        else sample.lost_values.push_back(value_of(row));
    }
    return true;
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

bool insert_sms(SampleDb& db, const SmsRow& row, bool kitkat) {
    const bool received = row.message.type == 1;
    std::string sql =
        "INSERT INTO sms (_id, thread_id, address, person, date, date_sent, protocol, read, status, type, "
        "reply_path_present, body, service_center, seen";
    sql += kitkat ? ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"
                  : ", sub_id, creator) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    std::vector<SqlValue> params = {
        sql_int(row.id), sql_int(row.message.thread_id), sql_text(row.message.address), sql_null(), sql_opt(row.message.date_ms),
        received && row.message.date_ms ? sql_int(*row.message.date_ms - 4000) : sql_int(0), received ? sql_int(0) : sql_null(),
        sql_int(1), sql_int(-1), sql_int(row.message.type), received ? sql_int(0) : sql_null(), sql_text(row.message.body),
        received ? sql_text("+491760000100") : sql_null(), sql_int(1)};
    if (!kitkat) {
        params.push_back(sql_int(1));
        params.push_back(received ? sql_null() : sql_text("com.google.android.apps.messaging"));
    }
    return db.run(sql, params);
}

bool write_messages(SampleDb& db, const Options& options, Dice& dice, Sample& sample, std::string& error) {
    const bool kitkat = options.variant == Variant::KitKat;
    const bool wal = options.variant == Variant::Wal;
    if (!db.exec(messages_schema(kitkat)) || !db.exec("BEGIN")) return error = db.error(), false;

    // Thread addresses: the first phone number of some contacts (so that the
    // threads get names), others unknown, one short code.
    std::vector<std::string> addresses;
    for (int thread = 1; thread <= options.threads; ++thread) {
        std::string address;
        for (const ContactValue& value : sample.live_values)
            if (value.mimetype_id == kPhone && value.raw_contact_id == 2 * thread) { address = value.data1; break; }
        if (address.empty()) address = thread % 7 == 3 ? "72" + std::to_string(thread) : "+4916" + dice.digits(8);
        addresses.push_back(address);
        if (!db.run("INSERT INTO canonical_addresses (_id, address) VALUES (?,?)",
                    {sql_int(thread), sql_text(address)}) ||
            !db.run("INSERT INTO threads (_id, recipient_ids) VALUES (?,?)",
                    {sql_int(thread), sql_text(std::to_string(thread))}))
            return error = db.error(), false;
    }
    std::vector<SmsRow> rows = make_sms_rows(options, dice, addresses);
    for (const SmsRow& row : rows)
        if (!insert_sms(db, row, kitkat)) return error = db.error(), false;
    if (!db.exec("COMMIT") || !db.exec("BEGIN")) return error = db.error(), false;
    for (const SmsRow& row : rows)
        if (row.deleted && !db.run("DELETE FROM sms WHERE _id=?", {sql_int(row.id)})) return error = db.error(), false;
    if (options.threads > 2 && !db.exec("DELETE FROM threads WHERE _id=2")) return error = db.error(), false;
    if (!db.exec("COMMIT")) return error = db.error(), false;

    if (wal) {
        // Fold everything so far into the main file, then leave later changes
        // in the log only: two new messages, and deletions that the main file
        // does not know of.
        if (!db.exec("PRAGMA wal_checkpoint(TRUNCATE)") || !db.exec("BEGIN")) return error = db.error(), false;
        for (SmsRow& row : rows)
            if (!row.deleted && row.id % 9 == 4) {
                row.deleted = row.deleted_in_log = true;
                if (!db.run("DELETE FROM sms WHERE _id=?", {sql_int(row.id)})) return error = db.error(), false;
            }
        for (int extra = 0; extra < 2; ++extra) {
            SmsRow row;
            row.id = static_cast<int64_t>(rows.size()) + 1;
            row.message.thread_id = 1;
            row.message.address = addresses[0];
            row.message.date_ms = 1800000000000 + extra * 60000;
            row.message.type = 1;
            row.message.body = "Only in the log " + std::to_string(extra);
            if (!insert_sms(db, row, kitkat)) return error = db.error(), false;
            rows.push_back(std::move(row));
        }
        if (!db.exec("COMMIT")) return error = db.error(), false;
    }
    for (const SmsRow& row : rows) {
        if (!row.deleted) sample.live_messages.push_back(row.message);
        else if (!row.deleted_in_log && rebuildable(row.message)) sample.deleted_messages.push_back(row.message);
        else sample.lost_messages.push_back(row.message);
    }
    return true;
}

using Writer = bool (*)(SampleDb&, const Options&, Dice&, Sample&, std::string&);

// Builds one database in the side folder with `write`, then copies it and its
// companions into `outdir` while the connection is still open: closing the
// last connection would checkpoint a "-wal" into the file and delete it.
bool build_and_place(const fs::path& side, const fs::path& outdir, const std::string& name, Writer write,
                     const Options& options, Dice& dice, Sample& sample, std::string& error) {
    SampleDb db;
    const std::string built = (side / name).string();
    if (!prepare_db(db, built, options, error) || !write(db, options, dice, sample, error)) return false;
    std::error_code ec;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        fs::path target = outdir / (name + suffix);
        fs::remove(target, ec);
        if (fs::exists(built + suffix)) {
            fs::copy_file(built + suffix, target, ec);
            if (ec) return error = "cannot write " + target.string() + ": " + ec.message(), false;
        }
    }
    return true;
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
    Sample sample;
    Dice dice(options.seed);
    bool ok = build_and_place(side, outdir, "contacts2.db", write_contacts, options, dice, sample, error) &&
              build_and_place(side, outdir, "mmssms.db", write_messages, options, dice, sample, error);
    fs::remove_all(side, ec);
    if (!ok) return std::nullopt;
    sample.contacts_path = (fs::path(outdir) / "contacts2.db").string();
    sample.messages_path = (fs::path(outdir) / "mmssms.db").string();
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
