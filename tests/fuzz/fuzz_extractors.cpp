// Feeds random and mutated buffers to every format extractor. Input layout:
//   byte 0  which -t name (its row gives the SearchSpec: header, footer, max length)
//   byte 1  how many bytes before the hit the buffer holds (low 4 bits), and
//           in sixteenths how much of the rest is handed over (high 4 bits;
//           0: all of it); what is not handed over can only be fetched
//   rest    the disk; the SearchSpec's header is written at the hit, and at
//           its offset in the file for signatures that lie inside
// Every file recorded must lie inside the buffer and every continue position
// must move past the hit; the sanitizers catch reads outside it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <vector>

#include "cdr/formats/formats_fixture.h"

namespace {

const char* const kNames[] = {"jpg",  "gif", "bmp", "exe", "mpg", "wmv",  "avi", "rif", "wav", "htm",  "ole",
                              "doc",  "xls", "ppt", "zip", "rar", "sxw",  "sxc", "sxi", "pdf", "vjpeg", "mov",
                              "cpp",  "png", "mp4", "heic", "webp", "mp3", "ogg", "amr", "awb", "db",   "vcf",
                              "apk",  "docx", "m4a"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const char* name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
    quen::cdr::SearchSpec spec = quen::cdr::test::spec_named(name);
    size_t before = (data[1] & 0x0F) + spec.header_offset;
    const std::vector<uint8_t> disk = [&] {
        std::vector<uint8_t> d(data + 2, data + size);
        const auto& h = spec.header.bytes;
        const size_t at = std::min(before, d.size());
        if (d.size() - at >= h.size()) std::memcpy(d.data() + at, h.data(), h.size());
        return d;
    }();
    if (before > disk.size()) before = disk.size();
    const size_t sixteenths = data[1] >> 4;
    const size_t given = sixteenths == 0 ? disk.size() : std::max(before, disk.size() * sixteenths / 16);
    quen::cdr::test::RunOptions o;
    o.disk = &disk;
    o.lead = std::min<size_t>(before, spec.header_offset);
    o.final_try = (data[1] & 0x80) != 0;
    const auto run = quen::cdr::test::run_extractor(spec, disk.data(), given, before, o);
    if (!run.faults.empty()) {
        std::fprintf(stdout, "%s: %s\n", name, run.faults.front().c_str());
        std::abort();
    }
    return 0;
}
