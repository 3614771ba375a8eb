// Feeds random and mutated buffers to every format extractor. Input layout:
//   byte 0  which -t name (its row gives the SearchSpec: header, footer, max length)
//   byte 1  how many bytes before the hit the buffer holds (low 4 bits)
//   rest    the buffer; the SearchSpec's header is written at the hit
// Every file recorded must lie inside the buffer and every continue position
// must move past the hit; the sanitizers catch reads outside it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cdr/formats/formats_fixture.h"

namespace {

const char* const kNames[] = {"jpg", "gif", "bmp", "exe", "mpg", "wmv", "avi", "rif", "wav", "htm", "ole", "doc",
                              "xls", "ppt", "zip", "rar", "sxw", "sxc", "sxi", "pdf", "vjpeg", "mov", "cpp", "png"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const char* name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
    size_t before = data[1] & 0x0F;
    std::vector<uint8_t> buf(data + 2, data + size);
    if (before > buf.size()) before = buf.size();
    quen::cdr::SearchSpec spec = quen::cdr::test::spec_named(name);
    const auto& h = spec.header.bytes;
    if (buf.size() - before >= h.size()) std::memcpy(buf.data() + before, h.data(), h.size());

    const auto run = quen::cdr::test::run_extractor(spec, buf, before);
    if (!run.faults.empty()) {
        std::fprintf(stdout, "%s: %s\n", name, run.faults.front().c_str());
        std::abort();
    }
    return 0;
}
