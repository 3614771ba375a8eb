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
    for (const auto& m : kMimetypes)
        if (m.id == id) return m.text;
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
    uint32_t below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(rng_() % n); }
    std::string digits(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>('0' + below(10));
        return s;
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
    Message m;
    bool deleted = false;
    bool deleted_in_log = false;  // WAL variant: deleted after the last checkpoint
};

// Whether the free-space scan can rebuild a deleted data row: its mimetype id
// must be stored as a 1-byte integer (2..127) and its data1 must be a
// non-empty text.
bool rebuildable(const DataRow& r) { return r.mimetype_id >= 2 && r.mimetype_id <= 127 && !r.data1.empty(); }
bool rebuildable(const Message& m) { return m.date_ms && !m.address.empty() && !m.body.empty(); }

ContactValue value_of(const DataRow& r) {
    return ContactValue{r.raw_contact_id, r.mimetype_id, mimetype_text(r.mimetype_id), r.data1};
}

bool prepare_db(SampleDb& db, const std::string& path, const Options& o, std::string& error) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(path + suffix);
    if (!db.open(path)) return error = db.error(), false;
    const std::string mode = o.variant == Variant::Wal ? "WAL" : "TRUNCATE";
    // secure_delete off, as on a phone: freed cells keep their bytes.
    if (!db.exec("PRAGMA page_size=" + std::to_string(o.page_size) + "; PRAGMA secure_delete=OFF;"
                 "PRAGMA auto_vacuum=NONE; PRAGMA journal_mode=" + mode + "; PRAGMA wal_autocheckpoint=0;"))
        return error = db.error(), false;
    return true;
}

std::vector<DataRow> make_data_rows(const Options& o, Dice& dice) {
    std::vector<DataRow> rows;
    // Data ids of a phone in use for a while run into the thousands. (With
    // ids below 128 and short rows, the first row of a freeblock loses its
    // first serial type to the freeblock header and is not rebuilt.)
    int64_t next_id = 1001;
    auto add = [&](int64_t raw, int32_t mime, std::string d1, std::string d2 = {}, std::string d3 = {}) {
        rows.push_back(DataRow{next_id++, mime, raw, std::move(d1), std::move(d2), std::move(d3), false});
        return rows.size() - 1;
    };
    for (int i = 1; i <= o.contacts; ++i) {
        const PersonName& n = kNames[(i - 1) % std::size(kNames)];
        const bool whole = i % 5 == 3;  // the whole contact is deleted
        std::vector<size_t> mine;
        mine.push_back(add(i, kName, n.display, n.given, n.family));
        mine.push_back(add(i, kPhone, phone_number(dice, i), "2"));
        if (i % 2 == 0) {
            size_t r = add(i, kPhone, phone_number(dice, i + 1), "3");
            if (i % 4 == 2) rows[r].deleted = true;
            mine.push_back(r);
        }
        if (i % 7 == 0) mine.push_back(add(i, kPhone, phone_number(dice, i + 2), "1"));
        mine.push_back(add(i, kEmail, std::string(n.slug) + std::to_string(i) + "@mail.example", "1"));
        if (i % 3 == 0) {
            size_t r = add(i, kEmail, std::string(n.slug) + "@work.example", "2");
            if (i % 6 == 3) rows[r].deleted = true;
            mine.push_back(r);
        }
        if (i % 3 == 1) mine.push_back(add(i, kOrg, kOrgs[dice.below(std::size(kOrgs))], "1"));
        if (i % 4 == 0) {
            size_t r = add(i, kNote, kNotes[dice.below(std::size(kNotes))]);
            if (i % 8 == 4) rows[r].deleted = true;
            mine.push_back(r);
        }
        if (i % 5 == 2) mine.push_back(add(i, kNick, std::string(n.given) + "y"));
        if (i % 6 == 0) mine.push_back(add(i, kPostal, "Hauptstraße " + std::to_string(i) + "\n10115 Berlin", "1"));
        if (i % 8 == 3) mine.push_back(add(i, kWebsite, "https://example.org/~" + std::string(n.slug)));
        if (i % 9 == 4) mine.push_back(add(i, kIm, std::string(n.slug) + "_im", "0"));
        if (i % 5 == 0) mine.push_back(add(i, kEvent, "19" + std::to_string(60 + i % 40) + "-04-12", "3"));
        if (i % 11 == 5) mine.push_back(add(i, kSip, std::string(n.slug) + "@sip.example"));
        if (i % 2 == 1) {
            size_t r = add(i, kGroup, "1");
            if (i % 4 == 1) rows[r].deleted = true;
            mine.push_back(r);
        }
        if (i % 10 == 7) rows[add(i, kChat, "Chat profile " + std::to_string(i))].deleted = true;
        if (i % 13 == 6) rows[add(i, kIdentity, "")].deleted = true;
        if (whole)
            for (size_t r : mine) rows[r].deleted = true;
    }
    // A tail of live rows filling more than a page: rows arrive in ascending
    // rowid order, so every page but the last is full, and the deletions above
    // free far less than two thirds of any of them. More would make SQLite
    // merge the page with its neighbours and overwrite the freed cells.
    size_t tail_bytes = 0;
    for (int i = o.contacts + 1; tail_bytes < o.page_size * 3 / 2; ++i) {
        std::string number = phone_number(dice, i);
        tail_bytes += 40 + number.size();
        add(i, kPhone, number, "2");
    }
    return rows;
}

bool write_contacts(SampleDb& db, const Options& o, Dice& dice, Sample& s, std::string& error) {
    const bool kitkat = o.variant == Variant::KitKat;
    if (!db.exec(contacts_schema(kitkat)) || !db.exec("BEGIN")) return error = db.error(), false;
    for (const auto& m : kMimetypes) {
        if (!db.run("INSERT INTO mimetypes (_id, mimetype) VALUES (?,?)", {sql_int(m.id), sql_text(m.text)}))
            return error = db.error(), false;
        s.mimetypes.emplace_back(m.id, m.text);
    }
    db.exec("INSERT INTO accounts (_id, account_name, account_type) VALUES (1, 'owner@gmail.example', "
            "'com.google')");
    std::vector<DataRow> rows = make_data_rows(o, dice);
    const int64_t last_contact = rows.empty() ? 0 : rows.back().raw_contact_id;
    for (int64_t i = 1; i <= last_contact; ++i) {
        const PersonName& n = kNames[(i - 1) % std::size(kNames)];
        if (!db.run("INSERT INTO raw_contacts (_id, account_id, contact_id, display_name, display_name_alt, "
                    "sort_key) VALUES (?,1,?,?,?,?)",
                    {sql_int(i), sql_int(i), sql_text(n.display), sql_text(n.display), sql_text(n.display)}))
            return error = db.error(), false;
    }
    for (const DataRow& r : rows) {
        if (!db.run("INSERT INTO data (_id, mimetype_id, raw_contact_id, is_primary, data_version, data1, data2, "
                    "data3) VALUES (?,?,?,?,?,?,?,?)",
                    {sql_int(r.id), sql_int(r.mimetype_id), sql_int(r.raw_contact_id), sql_int(0), sql_int(1),
                     sql_text(r.data1), r.data2.empty() ? sql_null() : sql_text(r.data2),
                     r.data3.empty() ? sql_null() : sql_text(r.data3)}))
            return error = db.error(), false;
    }
    if (!db.exec("COMMIT")) return error = db.error(), false;

    // Delete the chosen rows, one statement each, as the provider does.
    if (!db.exec("BEGIN")) return error = db.error(), false;
    for (const DataRow& r : rows)
        if (r.deleted && !db.run("DELETE FROM data WHERE _id=?", {sql_int(r.id)})) return error = db.error(), false;
    for (int i = 1; i <= o.contacts; ++i)
        if (i % 5 == 3 && !db.run("DELETE FROM raw_contacts WHERE _id=?", {sql_int(i)}))
            return error = db.error(), false;
    if (!db.exec("COMMIT")) return error = db.error(), false;

    if (o.variant == Variant::Wal) {
        // The deletions into the main file; a new number in the log only.
        if (!db.exec("PRAGMA wal_checkpoint(TRUNCATE)")) return error = db.error(), false;
        DataRow r{rows.empty() ? 1001 : rows.back().id + 1, kPhone, 1, "+49 30 1234567", "3", {}, false};
        if (!db.run("INSERT INTO data (_id, mimetype_id, raw_contact_id, data1, data2) VALUES (?,?,?,?,?)",
                    {sql_int(r.id), sql_int(r.mimetype_id), sql_int(1), sql_text(r.data1), sql_text(r.data2)}))
            return error = db.error(), false;
        rows.push_back(r);
    }
    for (const DataRow& r : rows) {
        if (!r.deleted) s.live_values.push_back(value_of(r));
        else if (rebuildable(r)) s.deleted_values.push_back(value_of(r));
        else s.lost_values.push_back(value_of(r));
    }
    return true;
}

std::vector<SmsRow> make_sms_rows(const Options& o, Dice& dice, const std::vector<std::string>& addresses) {
    std::vector<SmsRow> rows;
    const int total = o.threads * o.messages_per_thread;
    const int64_t base = 1700000000000;  // 2023-11-14
    for (int j = 0; j < total; ++j) {
        SmsRow r;
        r.id = j + 1;
        r.m.thread_id = 1 + dice.below(static_cast<uint32_t>(o.threads));
        r.m.address = addresses[static_cast<size_t>(r.m.thread_id - 1)];
        r.m.date_ms = base + int64_t{j} * 517000 + dice.below(60000);
        r.m.type = dice.below(3) == 0 ? 2 : 1;
        r.m.body = sms_body(dice, o.max_body);
        r.deleted = j % 4 == 1 || (o.threads > 2 && r.m.thread_id == 2);
        if (j == 5) r.m.date_ms.reset(), r.deleted = true;  // a draft without a date
        if (j == 9) r.m.body.clear(), r.deleted = true;
        rows.push_back(std::move(r));
    }
    // A tail of live messages filling more than a page (see make_data_rows).
    size_t tail_bytes = 0;
    for (int j = total; tail_bytes < o.page_size * 3 / 2; ++j) {
        SmsRow r;
        r.id = j + 1;
        r.m.thread_id = 1;
        r.m.address = addresses[0];
        r.m.date_ms = base + int64_t{j} * 517000;
        r.m.type = 1;
        r.m.body = sms_body(dice, o.max_body);
        tail_bytes += 60 + r.m.address.size() + r.m.body.size();
        rows.push_back(std::move(r));
    }
    return rows;
}

bool insert_sms(SampleDb& db, const SmsRow& r, bool kitkat) {
    const bool received = r.m.type == 1;
    std::string sql =
        "INSERT INTO sms (_id, thread_id, address, person, date, date_sent, protocol, read, status, type, "
        "reply_path_present, body, service_center, seen";
    sql += kitkat ? ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"
                  : ", sub_id, creator) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    std::vector<SqlValue> p = {
        sql_int(r.id), sql_int(r.m.thread_id), sql_text(r.m.address), sql_null(), sql_opt(r.m.date_ms),
        received && r.m.date_ms ? sql_int(*r.m.date_ms - 4000) : sql_int(0), received ? sql_int(0) : sql_null(),
        sql_int(1), sql_int(-1), sql_int(r.m.type), received ? sql_int(0) : sql_null(), sql_text(r.m.body),
        received ? sql_text("+491760000100") : sql_null(), sql_int(1)};
    if (!kitkat) {
        p.push_back(sql_int(1));
        p.push_back(received ? sql_null() : sql_text("com.google.android.apps.messaging"));
    }
    return db.run(sql, p);
}

bool write_messages(SampleDb& db, const Options& o, Dice& dice, Sample& s, std::string& error) {
    const bool kitkat = o.variant == Variant::KitKat;
    const bool wal = o.variant == Variant::Wal;
    if (!db.exec(messages_schema(kitkat)) || !db.exec("BEGIN")) return error = db.error(), false;

    // Thread addresses: the first phone number of some contacts (so that the
    // threads get names), others unknown, one short code.
    std::vector<std::string> addresses;
    for (int t = 1; t <= o.threads; ++t) {
        std::string a;
        for (const ContactValue& v : s.live_values)
            if (v.mimetype_id == kPhone && v.raw_contact_id == 2 * t) { a = v.data1; break; }
        if (a.empty()) a = t % 7 == 3 ? "72" + std::to_string(t) : "+4916" + dice.digits(8);
        addresses.push_back(a);
        if (!db.run("INSERT INTO canonical_addresses (_id, address) VALUES (?,?)", {sql_int(t), sql_text(a)}) ||
            !db.run("INSERT INTO threads (_id, recipient_ids) VALUES (?,?)", {sql_int(t), sql_text(std::to_string(t))}))
            return error = db.error(), false;
    }
    std::vector<SmsRow> rows = make_sms_rows(o, dice, addresses);
    for (const SmsRow& r : rows)
        if (!insert_sms(db, r, kitkat)) return error = db.error(), false;
    if (!db.exec("COMMIT") || !db.exec("BEGIN")) return error = db.error(), false;
    for (const SmsRow& r : rows)
        if (r.deleted && !db.run("DELETE FROM sms WHERE _id=?", {sql_int(r.id)})) return error = db.error(), false;
    if (o.threads > 2 && !db.exec("DELETE FROM threads WHERE _id=2")) return error = db.error(), false;
    if (!db.exec("COMMIT")) return error = db.error(), false;

    if (wal) {
        // Fold everything so far into the main file, then leave later changes
        // in the log only: two new messages, and deletions that the main file
        // does not know of.
        if (!db.exec("PRAGMA wal_checkpoint(TRUNCATE)") || !db.exec("BEGIN")) return error = db.error(), false;
        for (SmsRow& r : rows)
            if (!r.deleted && r.id % 9 == 4) {
                r.deleted = r.deleted_in_log = true;
                if (!db.run("DELETE FROM sms WHERE _id=?", {sql_int(r.id)})) return error = db.error(), false;
            }
        for (int k = 0; k < 2; ++k) {
            SmsRow r;
            r.id = static_cast<int64_t>(rows.size()) + 1;
            r.m.thread_id = 1;
            r.m.address = addresses[0];
            r.m.date_ms = 1800000000000 + k * 60000;
            r.m.type = 1;
            r.m.body = "Only in the log " + std::to_string(k);
            if (!insert_sms(db, r, kitkat)) return error = db.error(), false;
            rows.push_back(std::move(r));
        }
        if (!db.exec("COMMIT")) return error = db.error(), false;
    }
    for (const SmsRow& r : rows) {
        if (!r.deleted) s.live_messages.push_back(r.m);
        else if (!r.deleted_in_log && rebuildable(r.m)) s.deleted_messages.push_back(r.m);
        else s.lost_messages.push_back(r.m);
    }
    return true;
}

using Writer = bool (*)(SampleDb&, const Options&, Dice&, Sample&, std::string&);

// Builds one database in the side folder with `write`, then copies it and its
// companions into `outdir` while the connection is still open: closing the
// last connection would checkpoint a "-wal" into the file and delete it.
bool build_and_place(const fs::path& side, const fs::path& outdir, const std::string& name, Writer write,
                     const Options& o, Dice& dice, Sample& s, std::string& error) {
    SampleDb db;
    const std::string built = (side / name).string();
    if (!prepare_db(db, built, o, error) || !write(db, o, dice, s, error)) return false;
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
    Sample s;
    Dice dice(options.seed);
    bool ok = build_and_place(side, outdir, "contacts2.db", write_contacts, options, dice, s, error) &&
              build_and_place(side, outdir, "mmssms.db", write_messages, options, dice, s, error);
    fs::remove_all(side, ec);
    if (!ok) return std::nullopt;
    s.contacts_path = (fs::path(outdir) / "contacts2.db").string();
    s.messages_path = (fs::path(outdir) / "mmssms.db").string();
    return s;
}

bool parse_variant(const std::string& text, Variant& out) {
    if (text == "journal") return out = Variant::Journal, true;
    if (text == "wal") return out = Variant::Wal, true;
    if (text == "kitkat") return out = Variant::KitKat, true;
    return false;
}

const char* variant_name(Variant v) {
    switch (v) {
        case Variant::Journal: return "journal";
        case Variant::Wal: return "wal";
        case Variant::KitKat: return "kitkat";
    }
    return "?";
}

}  // namespace quen::sample_phone
