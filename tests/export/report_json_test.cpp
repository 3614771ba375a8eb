// The JSON form of the row table, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "export/report_json.h"

namespace quen::exports {
namespace {

std::string one_cell(const std::string& cell) { return exports::serialize_row_table({{cell}}); }

TEST(RowTableJson, EscapesQuotesBackslashesAndControlBytes) {
    EXPECT_EQ(one_cell("say \"hi\""), R"([["say \"hi\""]])");
    EXPECT_EQ(one_cell("C:\\dir\\file"), R"([["C:\\dir\\file"]])");
    EXPECT_EQ(one_cell("a\bb\tc\nd\fe\rf"), R"([["a\bb\tc\nd\fe\rf"]])");
    EXPECT_EQ(one_cell("esc\x1B["), R"([["esc\u001B["]])");
    EXPECT_EQ(one_cell("\x01\x0B\x0E\x1F"), R"([["\u0001\u000B\u000E\u001F"]])");
    // DEL and the other printable bytes stay as they are.
    EXPECT_EQ(one_cell("~\x7F' &>"), "[[\"~\x7F' &>\"]]");
}

TEST(RowTableJson, SlashAndUtf8PassThroughByteForByte) {
    EXPECT_EQ(one_cell("a/b http://x/y"), R"([["a/b http://x/y"]])");
    const std::string names = "Zoë Łukasz 山田 \xF0\x9F\x98\x80";
    EXPECT_EQ(one_cell(names), "[[\"" + names + "\"]]");
    // Not valid UTF-8 either: still copied unchanged, never dropped or replaced.
    const std::string broken = "\xC3 \xFF\xFE \xED\xA0\x80";
    EXPECT_EQ(one_cell(broken), "[[\"" + broken + "\"]]");
}

TEST(RowTableJson, LessThanIsWrittenAsUnicodeEscape) {
    EXPECT_EQ(one_cell("</script><img src=x onerror=alert(1)>"),
              R"([["\u003C/script>\u003Cimg src=x onerror=alert(1)>"]])");
    EXPECT_EQ(one_cell("<!-- x"), R"([["\u003C!-- x"]])");
    EXPECT_EQ(one_cell("1 < 2"), R"([["1 \u003C 2"]])");
}

TEST(RowTableJson, CellEndsAtFirstZeroByte) {
    EXPECT_EQ(one_cell(std::string("abc\0def", 7)), R"([["abc"]])");
    EXPECT_EQ(one_cell(std::string("\0x", 2)), R"([[""]])");
}

TEST(RowTableJson, CompactArraysWithoutWhitespace) {
    EXPECT_EQ(exports::serialize_row_table({}), "[]");
    EXPECT_EQ(exports::serialize_row_table({{}}), "[[]]");
    EXPECT_EQ(exports::serialize_row_table({{"a", "b"}, {"", "c d"}, {}}), R"([["a","b"],["","c d"],[]])");
}

TEST(RowTableJson, ExampleStatementOfOneDeletedEmptyContact) {
    const exports::RowTable table = {
        {"ID", "Deleted", "Name", "Phone", "Email", "Note", "Organization", "Address", "IM",
         "Nickname", "Website", "Others"},
        {"1", "Yes", "", "", "", "", "", "", "", "", "", ""}};
    EXPECT_EQ(exports::serialize_row_table(table),
              R"([["ID","Deleted","Name","Phone","Email","Note","Organization","Address","IM",)"
              R"("Nickname","Website","Others"],["1","Yes","","","","","","","","","",""]])");
}

}  // namespace
}  // namespace quen::exports
