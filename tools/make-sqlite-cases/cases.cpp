// The generic recovery cases, by family. Each builds a small database (a few
// pages to a few hundred) whose deleted rows lie where the family says.
#include <string>

#include "case_builder.h"

namespace quen::sqlite_cases {

namespace {

constexpr const char* kPeople =
    "CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT NOT NULL, email TEXT, age INTEGER, score REAL, note TEXT);";

// `count` people rows in one transaction.
bool add_people(CaseBuilder& c, int count) {
    if (!c.steps("BEGIN;")) return false;
    for (int row = 0; row < count; ++row) {
        Dice& d = c.dice();
        const std::string name = d.text(4, 24);
        if (!c.db().run("INSERT INTO people (name, email, age, score, note) VALUES (?,?,?,?,?)",
                        {name, d.token(6) + "@mail.example", int64_t{18 + d.below(70)},
                         double(d.below(10000)) / 100 + 0.125, d.chance(30) ? Value{} : Value{d.text(10, 120)}},
                        {}))
            return false;
    }
    return c.steps("COMMIT;");
}

// Rows of a table without a rowid alias, small rowids, short records: the
// freeblock header takes the first serial type of each deleted one.
bool add_notes(CaseBuilder& c, int count) {
    if (!c.steps("BEGIN;")) return false;
    for (int row = 0; row < count; ++row) {
        Dice& d = c.dice();
        if (!c.db().run("INSERT INTO notes (title, body, created) VALUES (?,?,?)",
                        {d.text(3, 20), d.text(5, 60), int64_t{1600000000 + d.below(100000000)}}, {}))
            return false;
    }
    return c.steps("COMMIT;");
}

bool people_case(CaseBuilder& c, const std::string& before, int count, const std::string& deletes) {
    return c.begin(before, kPeople) && add_people(c, count) && c.steps(deletes);
}

std::vector<CaseDef> make_cases() {
    std::vector<CaseDef> cases;
    auto add = [&](const char* family, const char* name, std::function<bool(CaseBuilder&)> build,
                   Finish finish = Finish::Close) { cases.push_back({family, name, std::move(build), finish}); };

    // --- freeblocks: rows deleted from pages that stay in use ---
    add("freeblock", "scattered_rows", [](CaseBuilder& c) {
        return people_case(c, "", 300, "DELETE FROM people WHERE id % 4 = 1;");
    });
    add("freeblock", "adjacent_rows", [](CaseBuilder& c) {
        return people_case(c, "", 300, "DELETE FROM people WHERE id % 10 IN (3, 4, 5);");
    });
    add("freeblock", "no_rowid_alias", [](CaseBuilder& c) {
        return c.begin("", "CREATE TABLE notes (title TEXT, body TEXT, created INTEGER);") && add_notes(c, 60) &&
               c.steps("DELETE FROM notes WHERE rowid % 3 = 0;");
    });
    add("freeblock", "small_rows", [](CaseBuilder& c) {
        if (!c.begin("", "CREATE TABLE codes (code INTEGER, label TEXT);") || !c.steps("BEGIN;")) return false;
        for (int row = 0; row < 400; ++row)
            if (!c.db().run("INSERT INTO codes VALUES (?, ?)", {int64_t{1000 + row}, c.dice().token(3 + row % 5)}, {}))
                return false;
        return c.steps("COMMIT;") && c.steps("DELETE FROM codes WHERE code % 2 = 0;");
    });
    add("freeblock", "page_512", [](CaseBuilder& c) {
        return people_case(c, "PRAGMA page_size=512;", 120, "DELETE FROM people WHERE id % 3 = 2;");
    });
    add("freeblock", "page_65536", [](CaseBuilder& c) {
        return people_case(c, "PRAGMA page_size=65536;", 400, "DELETE FROM people WHERE id % 5 = 0;");
    });

    // --- unallocated: the newest rows deleted, whose cells bordered the gap ---
    add("unallocated", "newest_rows", [](CaseBuilder& c) {
        return people_case(c, "", 40, "DELETE FROM people WHERE id > 34;");
    });

    // --- freelist: whole pages freed ---
    add("freelist", "bulk_delete", [](CaseBuilder& c) {
        return people_case(c, "", 1500, "DELETE FROM people WHERE id BETWEEN 200 AND 1300;");
    });
    add("freelist", "dropped_table", [](CaseBuilder& c) {
        return c.begin("", std::string(kPeople) + "CREATE TABLE notes (title TEXT, body TEXT, created INTEGER);") &&
               add_people(c, 200) && add_notes(c, 150) && c.steps("DROP TABLE notes;");
    });
    add("freelist", "dropped_then_reused", [](CaseBuilder& c) {
        return c.begin("", std::string(kPeople) + "CREATE TABLE notes (title TEXT, body TEXT, created INTEGER);") &&
               add_people(c, 100) && add_notes(c, 300) && c.steps("DROP TABLE notes;") && add_people(c, 150);
    });

    // --- overwritten: deleted rows partly overwritten by later ones ---
    add("overwritten", "reinserted", [](CaseBuilder& c) {
        return people_case(c, "", 200, "DELETE FROM people WHERE id % 3 = 0;") && add_people(c, 40);
    });
    add("overwritten", "edited_rows", [](CaseBuilder& c) {
        return people_case(c, "", 200,
                           "UPDATE people SET note = 'edited: ' || name || ' moved to another office' WHERE id % 7 = 1;"
                           "UPDATE people SET email = NULL WHERE id % 11 = 2;");
    });

    // --- overflow: records longer than a page ---
    add("overflow", "long_texts", [](CaseBuilder& c) {
        if (!c.begin("", "CREATE TABLE letters (id INTEGER PRIMARY KEY, subject TEXT, body TEXT);")) return false;
        for (int row = 0; row < 30; ++row)
            if (!c.step("INSERT INTO letters (subject, body) VALUES (?, ?)",
                        {c.dice().text(5, 30), c.dice().text(3000, 20000)}))
                return false;
        return c.steps("DELETE FROM letters WHERE id % 3 = 1;");
    });
    add("overflow", "blobs", [](CaseBuilder& c) {
        if (!c.begin("", "CREATE TABLE photos (id INTEGER PRIMARY KEY, label TEXT, data BLOB);")) return false;
        for (int row = 0; row < 20; ++row) {
            std::string bytes;
            for (int index = 0; index < 6000 + row * 300; ++index) bytes.push_back(static_cast<char>(c.dice().below(256)));
            if (!c.step("INSERT INTO photos (label, data) VALUES (?, ?)", {c.dice().text(4, 20), Blob{bytes}}))
                return false;
        }
        return c.steps("DELETE FROM photos WHERE id % 2 = 0;");
    });

    // --- encodings ---
    add("encoding", "utf16le", [](CaseBuilder& c) {
        return people_case(c, "PRAGMA encoding='UTF-16le';", 200, "DELETE FROM people WHERE id % 4 = 2;");
    });
    add("encoding", "utf16be", [](CaseBuilder& c) {
        return people_case(c, "PRAGMA encoding='UTF-16be';", 200, "DELETE FROM people WHERE id % 4 = 3;");
    });

    // --- schema: odd names, objects, WITHOUT ROWID, ALTER TABLE ---
    add("schema", "quoted_names", [](CaseBuilder& c) {
        if (!c.begin("", "CREATE TABLE \"weird table\" (\"select\" TEXT, \"a\"\"b\" INTEGER, [日本語] TEXT, `from` REAL);"))
            return false;
        for (int row = 0; row < 120; ++row)
            if (!c.step("INSERT INTO \"weird table\" VALUES (?,?,?,?)",
                        {c.dice().text(4, 40), int64_t{row * 37}, c.dice().text(2, 30), row + 0.5}))
                return false;
        return c.steps("DELETE FROM \"weird table\" WHERE \"a\"\"b\" % 3 = 1;");
    });
    add("schema", "triggers_views_indexes", [](CaseBuilder& c) {
        return c.begin("", std::string(kPeople) +
                               "CREATE TABLE log (id INTEGER PRIMARY KEY, what TEXT, at INTEGER);"
                               "CREATE INDEX people_name ON people(name);"
                               "CREATE UNIQUE INDEX people_email ON people(email);"
                               "CREATE VIEW adults AS SELECT name FROM people WHERE age >= 18;"
                               "CREATE TRIGGER gone AFTER DELETE ON people BEGIN "
                               "INSERT INTO log (what, at) VALUES ('deleted ' || old.name, old.age); END;") &&
               add_people(c, 200) && c.steps("DELETE FROM people WHERE id % 5 = 0;") &&
               c.steps("DELETE FROM log WHERE id % 2 = 0;");
    });
    add("schema", "without_rowid", [](CaseBuilder& c) {
        if (!c.begin("", "CREATE TABLE kv (k TEXT PRIMARY KEY, v TEXT, n INTEGER) WITHOUT ROWID;")) return false;
        for (int row = 0; row < 300; ++row)
            if (!c.step("INSERT INTO kv VALUES (?,?,?)", {c.dice().token(10), c.dice().text(5, 60), int64_t{row}}))
                return false;
        return c.steps("DELETE FROM kv WHERE n % 4 = 1;");
    });
    add("schema", "added_columns", [](CaseBuilder& c) {
        return people_case(c, "", 150, "ALTER TABLE people ADD COLUMN phone TEXT;"
                                       "ALTER TABLE people ADD COLUMN flags INTEGER DEFAULT 7;") &&
               add_people(c, 50) && c.steps("DELETE FROM people WHERE id % 6 = 0;");
    });

    // --- page structure ---
    add("structure", "reserved_bytes", [](CaseBuilder& c) {
        if (!c.begin("", "")) return false;
        int reserve = 32;
        sqlite3_file_control(c.db().handle(), "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve);
        return c.steps(kPeople) && add_people(c, 200) && c.steps("DELETE FROM people WHERE id % 4 = 0;");
    });
    add("structure", "auto_vacuum_full", [](CaseBuilder& c) {
        return people_case(c, "PRAGMA auto_vacuum=FULL;", 600, "DELETE FROM people WHERE id % 3 = 0;");
    });
    add("structure", "auto_vacuum_incremental", [](CaseBuilder& c) {
        return people_case(c, "PRAGMA auto_vacuum=INCREMENTAL;", 800, "DELETE FROM people WHERE id BETWEEN 100 AND 500;");
    });

    // --- index entries: the table's cells overwritten, the index keeps values ---
    add("index", "index_keeps_names", [](CaseBuilder& c) {
        return c.begin("", std::string(kPeople) + "CREATE INDEX people_name ON people(name);") && add_people(c, 150) &&
               c.steps("DELETE FROM people WHERE id % 3 = 0;") && add_people(c, 60);
    });

    // --- write-ahead log ---
    add("wal", "uncheckpointed", [](CaseBuilder& c) {
        return people_case(c, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;", 200,
                           "PRAGMA wal_checkpoint(TRUNCATE); DELETE FROM people WHERE id % 5 = 1;"
                           "UPDATE people SET note = 'changed in the log' WHERE id % 9 = 0;");
    }, Finish::KeepLog);
    add("wal", "restarted_log", [](CaseBuilder& c) {
        // A long log, checkpointed; the next writer starts the log over and
        // overwrites only its first frames: the rest stay, from the older log.
        return people_case(c, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;", 50,
                           "DELETE FROM people WHERE id % 2 = 0;") &&
               add_people(c, 200) && c.steps("DELETE FROM people WHERE id % 3 = 0; PRAGMA wal_checkpoint(PASSIVE);") &&
               c.steps("DELETE FROM people WHERE id = 7;");
    }, Finish::KeepLog);
    add("wal", "secure_delete", [](CaseBuilder& c) {
        return people_case(c, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;", 150,
                           "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA secure_delete=ON; DELETE FROM people WHERE id % 4 = 1;");
    }, Finish::KeepLog);

    // --- rollback journal ---
    add("journal", "persist", [](CaseBuilder& c) {
        return people_case(c, "PRAGMA journal_mode=PERSIST;", 200,
                           "PRAGMA secure_delete=ON; DELETE FROM people WHERE id % 4 = 2;");
    });
    add("journal", "hot", [](CaseBuilder& c) {
        c.unfinished = "DELETE FROM people WHERE id % 3 = 1; INSERT INTO people (name) VALUES ('never committed');";
        return people_case(c, "PRAGMA journal_mode=DELETE;", 300, "DELETE FROM people WHERE id % 10 = 9;");
    }, Finish::KeepJournal);
    return cases;
}

}  // namespace

const std::vector<CaseDef>& generic_cases() {
    static const std::vector<CaseDef> cases = make_cases();
    return cases;
}

}  // namespace quen::sqlite_cases
