#pragma once
// A database file built page by page, for tests of the page-level readers on
// hand-made and hostile layouts that SQLite itself would never write.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace quen::records {

// Page sizes and the header field are written as given, so that tests can
// also lie in them.
class PageFile {
    using Bytes = std::vector<uint8_t>;

public:
    explicit PageFile(uint32_t page_size) : PageFile(page_size, static_cast<uint16_t>(page_size)) {}
    PageFile(uint32_t page_size, uint16_t size_field) : size_(page_size) {
        Bytes& first_page = page(1);
        const char magic[] = "SQLite format 3";
        std::copy(magic, magic + 16, first_page.begin());
        put16(1, 16, size_field);
    }
    Bytes& page(uint32_t number) {
        if (pages_.size() < number) pages_.resize(number, Bytes(size_, 0));
        return pages_[number - 1];
    }
    void put16(uint32_t number, size_t offset, uint32_t value) {
        page(number)[offset] = static_cast<uint8_t>(value >> 8);
        page(number)[offset + 1] = static_cast<uint8_t>(value);
    }
    void put32(uint32_t number, size_t offset, uint32_t value) {
        put16(number, offset, value >> 16);
        put16(number, offset + 2, value & 0xFFFF);
    }
    // A table interior page with the given left children and right-most child.
    void interior(uint32_t number, std::vector<uint32_t> children, uint32_t right) {
        page(number)[0] = 5;
        put16(number, 3, static_cast<uint32_t>(children.size()));
        put32(number, 8, right);
        uint32_t cell = size_;
        for (size_t index = 0; index < children.size(); ++index) {
            cell -= 5;
            put16(number, 12 + 2 * index, cell);
            put32(number, cell, children[index]);
            page(number)[cell + 4] = static_cast<uint8_t>(index + 1);  // rowid varint
        }
        put16(number, 5, cell);
    }
    // A table leaf page without cells: the gap runs from 8 to `content`.
    void leaf(uint32_t number, uint32_t first_freeblock = 0, uint32_t content = 0) {
        page(number)[0] = 13;
        put16(number, 1, first_freeblock);
        put16(number, 5, content ? content : size_);
    }
    // A freeblock whose content (after its 4-byte header) is `fill` bytes.
    void freeblock(uint32_t number, uint32_t offset, uint32_t size, uint32_t next, uint8_t fill) {
        put16(number, offset, next);
        put16(number, offset + 2, size);
        for (uint32_t index = 4; index < size && offset + index < size_; ++index) page(number)[offset + index] = fill;
    }
    std::string write(const std::filesystem::path& dir, const std::string& name = "contacts2.db") const {
        const std::filesystem::path path = dir / name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const Bytes& bytes : pages_)
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return path.string();
    }

private:
    uint32_t size_;  // bytes of every page
    std::vector<Bytes> pages_;
};

}  // namespace quen::records
