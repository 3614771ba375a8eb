// The engine's option scanner and option parsing: every error comes back as a
// result instead of ending the process.
#include <gtest/gtest.h>

#include "cdr/engine/carve_options.h"
#include "cdr/engine/option_scanner.h"
#include "cdr/engine/engine_test_util.h"

namespace quen::cdr {
namespace {

using test::toy_catalog;
using Kind = OptionScanner::Kind;

std::vector<OptionScanner::Item> scan_all(const std::vector<std::string>& args, bool posix) {
    OptionScanner s(args, "ab:c", posix);
    std::vector<OptionScanner::Item> items;
    for (auto it = s.next(); it.kind != Kind::End; it = s.next()) items.push_back(it);
    return items;
}

TEST(OptionScanner, ClustersArgumentsAndOperands) {
    const auto items = scan_all({"p", "-ac", "-bX", "file", "-b", "-a", "--", "-c"}, false);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].option, 'a');
    EXPECT_EQ(items[1].option, 'c');
    EXPECT_EQ(items[2].option, 'b');
    EXPECT_EQ(items[2].text, "X");
    EXPECT_EQ(items[3].kind, Kind::Operand);  // permuted past, scanning goes on
    EXPECT_EQ(items[3].text, "file");
    EXPECT_EQ(items[4].option, 'b');          // takes the next word even if it looks like an option
    EXPECT_EQ(items[4].text, "-a");

    // Posixly correct: the first operand ends the options.
    const auto posix = scan_all({"p", "-a", "file", "-c"}, true);
    ASSERT_EQ(posix.size(), 1u);
    EXPECT_EQ(posix[0].option, 'a');

    OptionScanner rest({"p", "-a", "--", "-c", "x"}, "a", false);
    while (rest.next().kind != Kind::End) {}
    EXPECT_EQ(rest.rest(), (std::vector<std::string>{"-c", "x"}));
}

TEST(OptionScanner, UnknownAndMissingArgument) {
    const auto items = scan_all({"p", "-az", "-:", "-b"}, false);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].kind, Kind::Option);
    EXPECT_EQ(items[1].kind, Kind::Invalid);
    EXPECT_EQ(items[1].option, 'z');
    EXPECT_EQ(items[2].kind, Kind::Invalid);  // ':' is never an option
    EXPECT_EQ(items[3].kind, Kind::MissingArgument);
    EXPECT_EQ(items[3].option, 'b');
    // A lone "-" is an operand.
    const auto dash = scan_all({"p", "-"}, false);
    ASSERT_EQ(dash.size(), 1u);
    EXPECT_EQ(dash[0].kind, Kind::Operand);
}

OptionOutcome parse(std::vector<std::string> args, CarveState& st) {
    args.insert(args.begin(), "search");
    return parse_carve_options(args, toy_catalog(), false, st);
}

TEST(CarveOptions, FlagsValuesAndTypes) {
    CarveState st;
    const auto out = parse({"-qQvdawmT", "-t", "toy,,ftr", "-t", "all", "-i", "in.img", "-b", "4096",
                            "-k", "8", "-s", "3", "-o", "out", "-c", "c.conf", "extra"},
                           st);
    ASSERT_EQ(out.status, CarveStatus::Done) << out.message;
    // -v, -d, -w, -m, -T, -s, -o and -c are accepted and change nothing.
    EXPECT_TRUE(st.quick);
    EXPECT_TRUE(st.quiet);
    EXPECT_TRUE(st.write_all);
    EXPECT_EQ(st.input_name, "in.img");
    EXPECT_EQ(st.block_size, 4096u);
    EXPECT_EQ(st.chunk_mib, 8u);
    std::vector<std::string> exts;
    for (const auto& r : out.rows) exts.push_back(r.extension);
    // Empty names between commas are passed over; "all" adds the whole table.
    EXPECT_EQ(exts, (std::vector<std::string>{"toy", "ftr", "toy", "ftr", "nox", "htm"}));
}

TEST(CarveOptions, ErrorsComeBackAsResults) {
    struct Case {
        std::vector<std::string> args;
        CarveStatus status;
        std::string text;
    };
    const std::vector<Case> cases = {
        {{"-x"}, CarveStatus::UsageError, "search: invalid option -- 'x'\nTry `search -h` for more information.\n"},
        {{"-q", "-t"}, CarveStatus::UsageError, "search: option requires an argument -- 't'\n"},
        {{"-t", "toy,nope"}, CarveStatus::UsageError, "unknown file type 'nope'"},
        {{"-b", "0"}, CarveStatus::UsageError, "invalid number for -b"},
        {{"-k", "0"}, CarveStatus::UsageError, "invalid number for -k"},
        {{"-k", "4x"}, CarveStatus::UsageError, "invalid number for -k"},
        {{"-k", "2000"}, CarveStatus::UsageError, "invalid number for -k"},
        {{"-s", "-1"}, CarveStatus::UsageError, "invalid number for -s"},
        {{"-k", "1", "-b", "2097152"}, CarveStatus::UsageError, "block size exceeds the chunk size"},
        {{"-h", "-x"}, CarveStatus::Help, "-t LIST"},
        {{"-V"}, CarveStatus::Version, "1.0.0\n"},
    };
    for (const Case& c : cases) {
        CarveState st;
        const auto out = parse(c.args, st);
        EXPECT_EQ(out.status, c.status) << c.args[0];
        EXPECT_NE(out.message.find(c.text), std::string::npos) << out.message;
    }
    // More SearchSpecs than the table holds.
    CarveState st;
    std::string many = "all";
    for (int i = 0; i < 12; ++i) many += ",all";
    EXPECT_EQ(parse({"-t", many}, st).status, CarveStatus::UsageError);
}

TEST(CarveOptions, ParseErrorLeavesTheTreeAlone) {
    test::TempImage img(test::Bytes(4096, 0));
    test::ImageTree tree(img.path(), 4096);
    const CarveResult r =
        carve_run(*tree.disk, {"search", "-t", "toy,bogus", "-i", img.path()}, toy_catalog(), {});
    EXPECT_EQ(r.status, CarveStatus::UsageError);
    EXPECT_TRUE(tree.disk->children.empty());
    EXPECT_EQ(r.bytes_read, 0u);
}

}  // namespace
}  // namespace quen::cdr
