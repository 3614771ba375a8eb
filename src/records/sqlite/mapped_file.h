#pragma once
// A file given to the recovery, mapped read-only into memory: the database,
// its log or its journal. Pages are read at random many times over (the
// current page, its older copies, overflow chains), which a mapping serves
// without copies. The file is never written: the mapping is private and
// read-only.
#include <cstdint>
#include <span>
#include <string>

namespace quen::records::sqlite {

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;

    // Maps `path`; false (with `error` set) when it is missing, not a regular
    // file (a pipe would block, a device has no fixed size) or unreadable.
    // An empty file maps to no bytes and is not an error.
    bool open(const std::string& path, std::string& error);
    std::span<const uint8_t> bytes() const { return {data_, size_}; }

private:
    void reset();
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace quen::records::sqlite
