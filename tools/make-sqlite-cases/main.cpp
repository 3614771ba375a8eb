// make-sqlite-cases: writes SQLite databases that use the corners of the
// file format, each with rows deleted where its family says and an answer key
// (NAME.key.json) listing every live row and every deleted row version, and
// whether its bytes survive. recovery-score reads the keys.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>

#include "case_builder.h"

int main(int argc, char** argv) {
    using namespace quen::sqlite_cases;
    CLI::App app{"Writes SQLite recovery test cases with answer keys into OUTDIR/<family>/"};
    std::string out_dir, only;
    app.add_option("outdir", out_dir, "Folder for the cases")->required();
    app.add_option("--case", only, "Only the case of this name");
    bool list = false;
    app.add_flag("--list", list, "List the cases and stop");
    CLI11_PARSE(app, argc, argv);

    int failed = 0;
    for (const CaseDef& def : generic_cases()) {
        if (!only.empty() && only != def.name) continue;
        if (list) {
            std::printf("%s/%s\n", def.family, def.name);
            continue;
        }
        const std::string dir = (std::filesystem::path(out_dir) / def.family).string();
        std::filesystem::create_directories(dir);
        CaseBuilder builder(dir, def.family, def.name);
        if (!def.build(builder) || !builder.finish(def.finish)) {
            std::fprintf(stderr, "make-sqlite-cases: %s/%s: %s\n", def.family, def.name, builder.error().c_str());
            ++failed;
            continue;
        }
        std::printf("%s/%s: %zu deleted rows survive\n", def.family, def.name, builder.surviving());
    }
    return failed ? 1 : 0;
}
