// Speed of reading a phone's answer to "content query" by its projection: the
// sms bodies of a phone without root, next to a plain scan of the same bytes
// for line feeds (memchr) in the same run; best of 3.
//
//   bench_content_query [MESSAGES]     default 100 000 messages
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "phone/content_query.h"

namespace {

using Clock = std::chrono::steady_clock;

// Bodies as people write them, with what makes the answer ambiguous to a
// naive reader: ", ", "=", quotes, line breaks, other scripts.
std::string body(std::mt19937& random) {
    static const char* const kPieces[] = {"ok", "see you at 8, ok?", "a=b", "\"quoted\"", "it's", "\n", "\r\n",
                                          "Привет", "你好", "مرحبا", "✈️", "Row: 3 _id=9, body=", "lorem ipsum dolor"};
    std::string text;
    const int pieces = static_cast<int>(random() % 24);
    for (int i = 0; i < pieces; ++i) text += std::string(i ? " " : "") + kPieces[random() % std::size(kPieces)];
    return text;
}

template <typename Work>
double best_of_3(Work&& work) {
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const long messages = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100000;
    std::mt19937 random(1);
    std::vector<std::string> ids;
    std::string answer;
    for (long i = 0; i < messages; ++i) {
        ids.push_back(std::to_string(i * 2 + 5));
        answer += "Row: " + std::to_string(i) + " _id=" + ids.back() + ", body=" + body(random) + "\n";
    }
    const std::vector<quen::phone::ContentColumn> columns = {{"_id", true}, {"body", false}};

    std::size_t rows = 0;
    const double parse = best_of_3([&] { rows = quen::phone::parse_content_query(answer, columns, &ids).rows.size(); });
    std::size_t lines = 0;
    const double scan = best_of_3([&] {
        lines = 0;
        for (const char* at = answer.data(); (at = static_cast<const char*>(
                                                   std::memchr(at, '\n', answer.data() + answer.size() - at)));
             ++at)
            ++lines;
    });
    const double mb = static_cast<double>(answer.size()) / 1e6;
    std::printf("answer: %ld messages, %.1f MB, %zu line feeds\n", messages, mb, lines);
    std::printf("parse by projection: %.3f s, %.0f MB/s, %.0f rows/s (%zu rows)\n", parse, mb / parse, rows / parse, rows);
    std::printf("memchr line scan:    %.3f s, %.0f MB/s\n", scan, mb / scan);
    return rows == static_cast<std::size_t>(messages) ? 0 : 1;
}
