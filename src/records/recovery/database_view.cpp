#include "records/recovery/database_view.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string_view>

#include "records/sqlite/sqlite_format.h"

namespace quen::records::recovery {

namespace {

constexpr uint32_t kAssumedPageSize = 4096;

bool same_bytes(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

uint32_t page_size_field(std::span<const uint8_t> bytes, size_t at) {
    uint32_t field = 0;
    if (!sqlite::read_be32(bytes, at, field)) return 0;
    if (field == sqlite::kPageSizeField64K) field = sqlite::kLargestPageSize;
    const bool power_of_two = field >= sqlite::kSmallestPageSize && field <= sqlite::kLargestPageSize &&
                              (field & (field - 1)) == 0;
    return power_of_two ? field : 0;
}

}  // namespace

bool DatabaseView::open(const RecoveryFiles& files, std::string& error) {
    if (!main_.open(files.database, error)) return false;
    std::string companion_error;
    if (!files.wal.empty() && !wal_file_.open(files.wal, companion_error)) notes_.push_back(companion_error);
    if (!files.journal.empty() && !journal_file_.open(files.journal, companion_error)) notes_.push_back(companion_error);

    if (auto header = sqlite::parse_db_header(main_.bytes())) {
        header_ = *header;
        header_found_ = true;
    } else {
        uint32_t size = page_size_field(wal_file_.bytes(), 8);
        if (size == 0 && journal_file_.bytes().size() >= sqlite::kJournalHeaderFields)
            size = page_size_field(journal_file_.bytes(), 24);
        header_ = sqlite::assumed_db_header(size ? size : kAssumedPageSize);
        notes_.push_back(files.database + ": no valid database header; pages of " + std::to_string(header_.page_size) +
                         " bytes assumed");
    }
    const uint32_t page_size = header_.page_size;
    const uint64_t main_pages = (main_.bytes().size() + page_size - 1) / page_size;
    main_pages_ = static_cast<uint32_t>(std::min<uint64_t>(main_pages, UINT32_MAX));
    page_count_ = main_pages_;

    // A hot journal's images are the committed state of their pages (the
    // first image of each); a log-mode database never uses one. Page numbers
    // and counts are bounded by what the files can hold: a hostile journal or
    // log must not make the database seem billions of pages long.
    const uint32_t page_limit = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{main_pages_} * 2 + 16, UINT32_MAX));
    journal_ = sqlite::read_rollback_journal(journal_file_.bytes(), page_size, page_limit);
    for (size_t index = 0; index < journal_.pages.size(); ++index)
        journal_page_.try_emplace(journal_.pages[index].page, index);
    const bool plausible_size = journal_.pages_before <= uint64_t{main_pages_} + journal_.pages.size();
    if (journal_.hot && !header_.wal_mode && plausible_size) {
        for (const auto& [page, index] : journal_page_) {
            const auto& record = journal_.pages[index];
            replaced_[page] = {page, journal_file_.bytes().subspan(record.data_offset, page_size), ImageOrigin::Journal,
                               record.record};
        }
        if (journal_.pages_before != 0) page_count_ = journal_.pages_before;
    }

    wal_ = sqlite::read_wal_log(wal_file_.bytes(), page_size);
    for (size_t index = 0; index < wal_.frames.size(); ++index) {
        const auto& frame = wal_.frames[index];
        frames_of_page_[frame.page].push_back(index);
        if (frame.state == sqlite::FrameState::Current)
            replaced_[frame.page] = {frame.page, wal_file_.bytes().subspan(frame.data_offset, page_size),
                                     ImageOrigin::Wal, frame.index};
    }
    if (wal_.committed_page_count != 0)
        page_count_ = static_cast<uint32_t>(std::min<uint64_t>(wal_.committed_page_count, uint64_t{page_count_} + wal_.frames.size()));

    // The log may hold a newer first page, with a newer header.
    if (replaced_.count(1)) {
        if (auto header = sqlite::parse_db_header(page(1)); header && header->page_size == page_size) {
            header_ = *header;
            header_found_ = true;
        }
    }
    return true;
}

uint64_t DatabaseView::bytes_in_files() const {
    return main_.bytes().size() + wal_file_.bytes().size() + journal_file_.bytes().size();
}

std::span<const uint8_t> DatabaseView::main_page(uint32_t number) const {
    const uint64_t start = uint64_t{number - 1} * header_.page_size;
    const auto bytes = main_.bytes();
    if (number == 0 || start >= bytes.size()) return {};
    return bytes.subspan(static_cast<size_t>(start), std::min<size_t>(header_.page_size, bytes.size() - start));
}

std::span<const uint8_t> DatabaseView::page(uint32_t number) const {
    if (number == 0 || number > page_count_) return {};
    const auto replaced = replaced_.find(number);
    return replaced != replaced_.end() ? replaced->second.bytes : main_page(number);
}

PageImage DatabaseView::current_image(uint32_t number) const {
    const auto replaced = replaced_.find(number);
    if (replaced != replaced_.end()) return replaced->second;
    return {number, page(number), ImageOrigin::MainFile, 0};
}

std::vector<PageImage> DatabaseView::older_images() const {
    std::vector<PageImage> images;
    std::set<std::pair<uint32_t, std::string_view>> listed;
    auto add = [&](const PageImage& image) {
        if (image.bytes.empty()) return;
        const auto current = page(image.page);
        if (image.page <= page_count_ && same_bytes(current, image.bytes)) return;
        const std::string_view key(reinterpret_cast<const char*>(image.bytes.data()), image.bytes.size());
        if (!listed.emplace(image.page, key).second) return;
        images.push_back(image);
    };
    for (const auto& [number, image] : replaced_) add({number, main_page(number), ImageOrigin::MainFile, 0});
    for (uint32_t number = page_count_ + 1; number <= main_pages_; ++number)
        add({number, main_page(number), ImageOrigin::MainFile, 0});
    for (const auto& frame : wal_.frames)
        add({frame.page, wal_file_.bytes().subspan(frame.data_offset, header_.page_size), ImageOrigin::Wal, frame.index});
    for (const auto& record : journal_.pages)
        add({record.page, journal_file_.bytes().subspan(record.data_offset, header_.page_size), ImageOrigin::Journal,
             record.record});
    return images;
}

std::span<const uint8_t> DatabaseView::page_as_of(uint32_t number, const PageImage& image) const {
    if (image.origin == ImageOrigin::Wal) {
        const auto frames = frames_of_page_.find(number);
        if (frames != frames_of_page_.end()) {
            // Frames are in log order; the newest one not after the image's.
            const sqlite::WalFrame* best = nullptr;
            for (size_t index : frames->second) {
                const auto& frame = wal_.frames[index];
                if (frame.index > image.frame) break;
                best = &frame;
            }
            if (best) return wal_file_.bytes().subspan(best->data_offset, header_.page_size);
        }
    } else if (image.origin == ImageOrigin::Journal) {
        const auto record = journal_page_.find(number);
        if (record != journal_page_.end())
            return journal_file_.bytes().subspan(journal_.pages[record->second].data_offset, header_.page_size);
    }
    return main_page(number);
}

}  // namespace quen::records::recovery
