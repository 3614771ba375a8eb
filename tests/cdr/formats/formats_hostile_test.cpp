// Random and damaged bytes given to every extractor: nothing is read outside
// the bytes given (the address sanitizer watches), every file recorded lies
// inside them, and the search always moves on.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "cdr/formats/formats_fixture.h"
#include "sample_files.h"

namespace quen::cdr {
namespace {

using sample::Bytes;

struct Kind {
    const char* name;  // -t name
    std::function<Bytes(sample::Rng&)> make;
};

const std::vector<Kind>& kinds() {
    static const std::vector<Kind> k = {
        {"jpg", [](sample::Rng& r) { return sample::make_jpeg(r, 600); }},
        {"gif", [](sample::Rng& r) { return sample::make_gif(r, 300); }},
        {"bmp", [](sample::Rng& r) { return sample::make_bmp(r, 300); }},
        {"png", [](sample::Rng& r) { return sample::make_png(r, 300); }},
        {"mpg", [](sample::Rng& r) { return sample::make_mpeg(r, 2100); }},
        {"pdf", [](sample::Rng& r) { return sample::make_pdf(r, 800, r.below(2) == 0); }},
        {"zip", [](sample::Rng& r) { return sample::make_zip(r, 400, r.below(2) ? "mimetype" : "a.class"); }},
        {"sxi", [](sample::Rng& r) { return sample::make_zip(r, 400, "mimetype"); }},
        {"ole", [](sample::Rng& r) { return sample::make_ole(r, 4000, "WordDocument"); }},
        {"xls", [](sample::Rng& r) { return sample::make_ole(r, 4000, "Workbook"); }},
        {"rif", [](sample::Rng& r) { return sample::make_avi(r, 300); }},
        {"wav", [](sample::Rng& r) { return sample::make_wav(r, 300); }},
        {"wmv", [](sample::Rng& r) { return sample::make_wmv(r, 600); }},
        {"htm", [](sample::Rng& r) { return sample::make_html(r, 300); }},
        {"mov", [](sample::Rng& r) { return sample::make_mov(r, 300); }},
        {"rar", [](sample::Rng& r) { return sample::make_rar(r, 300); }},
        {"exe", [](sample::Rng& r) { return sample::make_exe(r, 1100, r.below(2) == 0); }},
        {"cpp", [](sample::Rng& r) { return sample::make_cpp(r, 200); }},
    };
    return k;
}

void check(SearchSpec& spec, const Bytes& b, size_t before, const std::string& what) {
    auto run = test::run_extractor(spec, b, before);
    ASSERT_TRUE(run.has_extractor) << what;
    for (const auto& f : run.faults) ADD_FAILURE() << what << ": " << f;
}

TEST(ExtractorsOnHostileBytes, DamagedSamplesStayInsideTheirBytes) {
    std::mt19937_64 mt(7);
    for (const Kind& k : kinds()) {
        sample::Rng rng(11);
        for (int round = 0; round < 150; ++round) {
            SearchSpec spec = test::spec_named(k.name);
            Bytes b = k.make(rng);
            // Damage: overwrite some bytes with extreme or random values, and
            // cut the buffer anywhere.
            const int hits = 1 + static_cast<int>(mt() % 8);
            for (int i = 0; i < hits; ++i) {
                const size_t at = mt() % b.size();
                const uint8_t values[] = {0x00, 0xFF, 0x7F, 0x80, 0x01, static_cast<uint8_t>(mt())};
                b[at] = values[mt() % 6];
            }
            b.resize(mt() % (b.size() + 64));
            const size_t before = std::string(k.name) == "mov" ? std::min<size_t>(4, b.size()) : 0;
            check(spec, b, before, std::string(k.name) + " round " + std::to_string(round));
        }
    }
}

TEST(ExtractorsOnHostileBytes, RandomBytesAfterEachHeader) {
    std::mt19937_64 mt(8);
    std::vector<std::string> names;
    for (const char* n : {"jpg", "gif", "bmp", "exe", "mpg", "wmv", "avi", "rif", "wav", "htm", "ole", "doc",
                          "xls", "ppt", "zip", "rar", "sxw", "sxc", "sxi", "pdf", "vjpeg", "mov", "cpp", "png"})
        names.push_back(n);
    for (const std::string& name : names) {
        for (int round = 0; round < 120; ++round) {
            SearchSpec spec = test::spec_named(name);
            const size_t before = mt() % 3 == 0 ? mt() % 16 : 0;
            const size_t sizes[] = {0, 1, 7, 64, 99, 100, 127, 128, 511, 512, 600, 1100, 4096};
            const size_t after = sizes[mt() % std::size(sizes)];
            Bytes b(before + std::max(after, spec.header.size()));
            // Mostly small values, so that sizes and offsets land near the buffer.
            for (auto& x : b) x = mt() % 4 ? static_cast<uint8_t>(mt() % 16) : static_cast<uint8_t>(mt());
            std::copy(spec.header.bytes.begin(), spec.header.bytes.end(), b.begin() + before);
            check(spec, b, before, name + " round " + std::to_string(round));
        }
    }
}

}  // namespace
}  // namespace quen::cdr

namespace quen::cdr {
namespace {

// Sizes read from the disk are added in 64 bits: near 4 GiB they must not
// wrap into small, plausible values.
TEST(ExtractorsOnHostileBytes, SizesNearFourGigabytesDoNotWrap) {
    sample::Rng rng(60);
    Bytes wav = sample::make_wav(rng, 400);
    sample::put_le32(wav, 4, 0xFFFFFFF9u);  // + 8 is 1 in 32 bits
    wav.resize(2000, 0);
    SearchSpec rif = test::spec_named("rif");
    auto run = test::run_extractor(rif, wav);
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, 4u);

    Bytes exe = sample::make_exe(rng, 2000, false);
    const size_t last = 0x80 + 288;
    sample::put_le32(exe, last + 20, 0xFFFFFF00u);
    sample::put_le32(exe, last + 16, 0x00000300u);  // the sum is 0x200 in 32 bits
    exe.resize(4000, 0);
    SearchSpec spec = test::spec_named("exe");
    run = test::run_extractor(spec, exe);
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.result, last + 40 + 60);

    Bytes png = sample::make_png(rng, 300);
    sample::put_be32(png, png.size() - 12, 0xFFFFFFF8u);  // IEND's length
    png.resize(700, 0);
    SearchSpec p = test::spec_named("png");
    run = test::run_extractor(p, png);
    EXPECT_TRUE(run.files.empty());  // not wrapped into a small size

    Bytes rar = sample::make_rar(rng, 600);
    sample::put_le32(rar, 20 + 7, 0xFFFFFFF0u);  // the first file's packed size
    rar.resize(1000, 0);
    SearchSpec r = test::spec_named("rar");
    run = test::run_extractor(r, rar);
    for (const auto& f : run.files) EXPECT_LE(f.size, 1000u);
    EXPECT_TRUE(run.faults.empty());
}

}  // namespace
}  // namespace quen::cdr
