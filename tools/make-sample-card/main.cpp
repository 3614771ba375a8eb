// make-sample-card: writes a card image holding files of every type the
// carver knows, and the list of files that `quenfora-cli carve IMAGE --json`
// must report for it.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>

#include "sample_card.h"

int main(int argc, char** argv) {
    CLI::App app{"Writes a sample card image and the files the carver must find in it"};
    std::string image;
    std::string expected;
    uint64_t size_mib = 64;
    uint64_t seed = 1;
    bool dense = false;
    std::string seeds;
    app.add_option("image", image, "Image file to write");
    app.add_option("--fuzz-seeds", seeds, "Write the extractor fuzz target's seed files into this folder instead");
    app.add_option("--expected", expected, "Where to write the expected file list (default IMAGE.expected.json)");
    app.add_option("--size-mib", size_mib, "Image size in MiB (a multiple of 4; at least 64 unless --dense)")
        ->default_val(64);
    app.add_option("--seed", seed, "Seed of the generator")->default_val(1);
    app.add_flag("--dense", dense, "Pack the image densely with sample files (for benchmarks)");
    CLI11_PARSE(app, argc, argv);
    std::string error;
    if (!seeds.empty()) {
        if (!quen::sample::write_extractor_seeds(seeds, error)) {
            std::cerr << "make-sample-card: " << error << "\n";
            return 1;
        }
        return 0;
    }
    if (image.empty()) {
        std::cerr << "make-sample-card: an image file to write is needed\n";
        return 2;
    }
    if (expected.empty()) expected = image + ".expected.json";

    std::vector<quen::sample::ExpectedFile> files;
    const uint64_t size = size_mib * quen::sample::kMiB;
    if (dense) {
        if (!quen::sample::write_dense_card(image, size, seed, files, error)) {
            std::cerr << "make-sample-card: " << error << "\n";
            return 1;
        }
    } else {
        quen::sample::Card card;
        if (!quen::sample::make_sample_card(size, seed, card, error)) {
            std::cerr << "make-sample-card: " << error << "\n";
            return 1;
        }
        std::ofstream out(image, std::ios::binary);
        out.write(reinterpret_cast<const char*>(card.image.data()), static_cast<std::streamsize>(card.image.size()));
        out.close();  // a write that fails only on the final flush is caught too
        if (!out) {
            std::cerr << "make-sample-card: cannot write " << image << "\n";
            return 1;
        }
        files = std::move(card.expected);
    }
    std::ofstream list(expected);
    list << quen::sample::expected_json(image, files);
    list.close();
    if (!list) {
        std::cerr << "make-sample-card: cannot write " << expected << "\n";
        return 1;
    }
    std::printf("%s: %zu files expected (%s)\n", image.c_str(), files.size(), expected.c_str());
    return 0;
}
