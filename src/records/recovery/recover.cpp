#include "records/recovery/recover.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "records/recovery/deduplicate.h"
#include "records/recovery/index_entries.h"
#include "records/recovery/live_rows.h"
#include "records/recovery/page_carving.h"
#include "records/recovery/page_map.h"
#include "records/recovery/rowid_inference.h"
#include "records/recovery/schema_reader.h"
#include "records/sqlite/btree_page.h"

namespace quen::records::recovery {

namespace {

// Work allowed per byte of the files: far above what real databases need
// (a few steps per free byte), far below what would make a hostile file
// hang the program.
constexpr uint64_t kWorkPerByte = 2000;
constexpr uint64_t kWorkFloor = 50'000'000;

bool regular_file(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

class Recovery {
public:
    Recovery(const DatabaseView& view, const RecoveryOptions& options, RecoveryResult& result)
        : view_(view), options_(options), result_(result),
          budget_(std::max(kWorkFloor, view.bytes_in_files() * kWorkPerByte)) {}

    void run() {
        result_.page_size = view_.page_size();
        result_.header_found = view_.header_found();
        result_.encoding = view_.header().encoding;
        const auto older = view_.older_images();
        result_.schema = read_schema(view_, older, budget_, result_.notes);
        const Schema& schema = result_.schema;
        has_without_rowid_ = std::any_of(schema.tables.begin(), schema.tables.end(),
                                         [](const Table& table) { return table.without_rowid; });
        const PageMap pages(view_, schema);

        // Live rows are read for the tables reported only: the others' are
        // not shown, and the deleted records they would be compared with are
        // dropped too. Their pages are still marked (the page map) and their
        // free space still searched, so that their rows are not taken for
        // rows of a reported table.
        reported_ = reported_tables();
        std::vector<uint8_t> seen;
        for (size_t table = 0; table < schema.tables.size(); ++table)
            if (reported_[table] && !schema.tables[table].dropped && schema.tables[table].root_page != 0)
                read_live_rows(view_, schema, static_cast<int>(table), seen, result_.records);

        total_ = uint64_t{view_.page_count()} + older.size();
        carve_current_pages(pages);
        carve_older_images(pages, older);
        recover_index_entries(view_, schema, pages, older, budget_, result_.records);
        if (budget_.exhausted())
            result_.notes.push_back("the file is too damaged to be searched whole: the search stopped early");
        if (stopped_) result_.notes.push_back("stopped before the end: what was found so far is listed");

        std::erase_if(result_.records, [&](const RecoveredRecord& record) {
            return record.table < 0 || !reported_[static_cast<size_t>(record.table)];
        });
        drop_live_copies_and_repeats(schema, result_.records);
        give_rowids_from_index_entries(schema, result_.records);
    }

private:
    bool advance() {
        ++done_;
        const uint64_t page = view_.page_size();
        if (options_.progress && (done_ % 256 == 0 || done_ == total_) && !options_.progress(done_ * page, total_ * page))
            stopped_ = true;
        return !stopped_ && !budget_.exhausted();
    }

    // Candidates of one page image, kept until the page is done so that
    // their rowids can be inferred from their neighbours.
    struct PageFinds {
        std::vector<std::pair<Candidate, RecordSource>> found;
        void operator()(Candidate&& candidate, RecordSource source) { found.emplace_back(std::move(candidate), source); }
    };

    void add_page(PageFinds& finds, std::span<const uint8_t> bytes, uint32_t page, uint32_t frame, int owner) {
        std::vector<Candidate*> candidates;
        for (auto& [candidate, source] : finds.found) candidates.push_back(&candidate);
        infer_rowids(bytes, page, view_.usable_size(), result_.schema, owner, candidates);
        for (auto& [candidate, source] : finds.found) add(std::move(candidate), source, page, frame);
    }

    void add(Candidate&& found, RecordSource source, uint32_t page, uint32_t frame) {
        RecoveredRecord record;
        record.table = found.match.table;
        record.rowid = found.shape.rowid;
        record.deleted = true;
        record.source = source;
        if (found.match.from_overflow &&
            (source == RecordSource::Freeblock || source == RecordSource::Unallocated || source == RecordSource::Freelist))
            record.source = RecordSource::Overflow;
        record.page = page;
        record.offset = found.shape.start;
        record.frame = frame;
        record.partial = found.match.partial;
        record.values = std::move(found.match.values);
        result_.records.push_back(std::move(record));
    }

    // Whether a page may still hold the rest of a deleted record's
    // overflow chain: a page freed whole, or one nothing refers to.
    static bool free_page(const PageMap& pages, uint32_t number) {
        const PageRole role = pages[number].role;
        return role == PageRole::FreelistLeaf || role == PageRole::Unreferenced;
    }

    // An older copy in the main file is one the log or journal has a newer
    // version of.
    static RecordSource source_of(ImageOrigin origin) {
        switch (origin) {
            case ImageOrigin::Wal: return RecordSource::Wal;
            case ImageOrigin::Journal: return RecordSource::Journal;
            case ImageOrigin::MainFile: break;
        }
        return RecordSource::Btree;
    }

    CellKind kind_of(std::span<const uint8_t> bytes, uint32_t number) const {
        const auto header = sqlite::read_btree_header(bytes, number, view_.usable_size());
        return header && header->index() ? CellKind::Index : CellKind::Table;
    }

    void carve_current_pages(const PageMap& pages) {
        const Schema& schema = result_.schema;
        const OverflowPages freed = [&](uint32_t number) {
            return free_page(pages, number) ? view_.page(number) : std::span<const uint8_t>();
        };
        const uint64_t largest = view_.bytes_in_files();
        for (uint32_t number = 1; number <= view_.page_count() && advance(); ++number) {
            const PageInfo& info = pages[number];
            const auto bytes = view_.page(number);
            const MatchContext context{schema, view_.header().encoding, view_.usable_size(), info.table, &freed};
            PageFinds finds;
            auto sink = [&](Candidate&& found, RecordSource source) { finds(std::move(found), source); };
            switch (info.role) {
                case PageRole::TableLeaf:
                case PageRole::TableInterior:
                    carve_free_space(CellReader(context, bytes, CellKind::Table, largest), number, budget_, sink);
                    break;
                case PageRole::IndexLeaf:
                case PageRole::IndexInterior:
                    // A WITHOUT ROWID table's own tree; an index's entries are read elsewhere.
                    if (info.index < 0 && info.table >= 0)
                        carve_free_space(CellReader(context, bytes, CellKind::Index, largest), number, budget_, sink);
                    break;
                case PageRole::FreelistLeaf:
                case PageRole::FreelistTrunk:
                case PageRole::Unreferenced: {
                    const RecordSource source =
                        info.role == PageRole::Unreferenced ? RecordSource::Unallocated : RecordSource::Freelist;
                    const CellKind kind = kind_of(bytes, number);
                    carve_whole_page(CellReader(context, bytes, kind, largest), number, source, budget_, sink);
                    if (kind == CellKind::Table && has_without_rowid_)
                        carve_whole_page(CellReader(context, bytes, CellKind::Index, largest), number, source, budget_, sink);
                    break;
                }
                default:
                    break;
            }
            add_page(finds, bytes, number, 0, info.table);
        }
    }

    void carve_older_images(const PageMap& pages, const std::vector<PageImage>& older) {
        const Schema& schema = result_.schema;
        const uint64_t largest = view_.bytes_in_files();
        for (const PageImage& image : older) {
            if (!advance()) break;
            const OverflowPages as_of = [&](uint32_t number) { return view_.page_as_of(number, image); };
            const MatchContext context{schema, view_.header().encoding, view_.usable_size(), pages[image.page].table,
                                       &as_of};
            const CellKind kind = kind_of(image.bytes, image.page);
            if (kind == CellKind::Index && !has_without_rowid_) continue;  // index pages: entries are read elsewhere
            const CellReader reader(context, image.bytes, kind, largest);
            PageFinds finds;
            auto sink = [&](Candidate&& found, RecordSource source) { finds(std::move(found), source); };
            carve_page_copy(reader, image.page, source_of(image.origin), budget_, sink);
            add_page(finds, image.bytes, image.page, image.frame, pages[image.page].table);
        }
    }

    std::vector<uint8_t> reported_tables() const {
        const Schema& schema = result_.schema;
        std::vector<uint8_t> reported(schema.tables.size(), 0);
        for (size_t table = 0; table < schema.tables.size(); ++table) {
            bool wanted = options_.tables.empty();
            for (const std::string& name : options_.tables) wanted = wanted || name == schema.tables[table].name;
            reported[table] = wanted && !is_internal_table(schema.tables[table].name);
        }
        return reported;
    }

    const DatabaseView& view_;
    const RecoveryOptions& options_;
    RecoveryResult& result_;
    WorkBudget budget_;
    uint64_t done_ = 0, total_ = 0;
    bool stopped_ = false;
    std::vector<uint8_t> reported_;  // per table: its records are reported
    bool has_without_rowid_ = false;  // some table keeps its rows in an index tree
};

}  // namespace

bool recover_database(const RecoveryFiles& files, const RecoveryOptions& options, RecoveryResult& result,
                      std::string& error) {
    result = RecoveryResult{};
    result.file = files.database;
    DatabaseView view;
    if (!view.open(files, error)) return false;
    result.notes = view.notes();
    Recovery(view, options, result).run();
    return true;
}

RecoveryFiles files_beside(const std::string& database) {
    RecoveryFiles files;
    files.database = database;
    if (regular_file(database + "-wal")) files.wal = database + "-wal";
    if (regular_file(database + "-journal")) files.journal = database + "-journal";
    return files;
}

RecordOrigin origin_of(const RecoveredRecord& record) {
    return {source_name(record.source), record.page, record.offset, record.frame, record.partial};
}

const char* source_name(RecordSource source) {
    switch (source) {
        case RecordSource::Btree: return "btree";
        case RecordSource::Freeblock: return "freeblock";
        case RecordSource::Unallocated: return "unallocated";
        case RecordSource::Freelist: return "freelist";
        case RecordSource::Wal: return "wal";
        case RecordSource::Journal: return "journal";
        case RecordSource::Overflow: return "overflow";
        case RecordSource::Index: return "index";
    }
    return "btree";
}

}  // namespace quen::records::recovery
