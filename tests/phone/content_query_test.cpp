#include "phone/content_query.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quen::phone {
namespace {

const std::vector<ContentColumn> kBodies = {{"_id", true}, {"body", false}};
const std::vector<ContentColumn> kHeads = {
    {"_id", true}, {"thread_id", true}, {"type", true}, {"date", true}, {"address", false}};

std::vector<std::string> bodies_of(const ContentRows& rows) {
    std::vector<std::string> out;
    for (const auto& row : rows.rows) out.push_back(row.back().value_or("<NULL>"));
    return out;
}

// The answer the phone's content tool prints for these rows.
std::string answer(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string text;
    for (std::size_t i = 0; i < rows.size(); ++i)
        text += "Row: " + std::to_string(i) + " _id=" + rows[i].first + ", body=" + rows[i].second + "\n";
    return text;
}

TEST(ContentQuery, FreeTextComesBackWholeWhateverItHolds) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"3", "plain"},
        {"4", "commas, and , body=fake, _id=9, \"quotes\" and 'single' ones"},
        {"7", "line one\nline two\r\nRow: 3 _id=5, body=not a row (a row start with the wrong id)\n"},
        {"8", "ends with a line break\n"},
        {"9", ""},
        {"12", "Привет, как дела? 你好，世界 = مرحبا ✈️"},
        {"13", "a=b, c=d\n\nRow: 6 _id=12, body= (a row start with the wrong id)"},
    };
    std::vector<std::string> ids;
    for (const auto& row : rows) ids.push_back(row.first);

    const ContentRows parsed = parse_content_query(answer(rows), kBodies, &ids);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    std::vector<std::string> want;
    for (const auto& row : rows) want.push_back(row.second);
    EXPECT_EQ(bodies_of(parsed), want);

    // Without the ids known beforehand, a body holding a whole row start of
    // the next row number is the one thing that is misread; everything else
    // still comes back whole.
    const ContentRows blind = parse_content_query(answer(rows), kBodies);
    ASSERT_TRUE(blind.ok);
    EXPECT_EQ(bodies_of(blind)[1], rows[1].second);
    EXPECT_EQ(bodies_of(blind)[2], "line one\nline two\r");
}

TEST(ContentQuery, AnchoredColumnsNullsAndTheEmptyAnswer) {
    const std::string text =
        "WARNING: linker: libfoo.so has text relocations\n"
        "Row: 0 _id=1, thread_id=2, type=1, date=1700000000000, address=+49 170, 1234567\n"
        "Row: 1 _id=2, thread_id=NULL, type=2, date=NULL, address=NULL\n";
    const ContentRows parsed = parse_content_query(text, kHeads);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    ASSERT_EQ(parsed.rows.size(), 2u);
    EXPECT_EQ(parsed.rows[0][3], "1700000000000");
    EXPECT_EQ(parsed.rows[0][4], "+49 170, 1234567");
    EXPECT_FALSE(parsed.rows[1][1].has_value());
    EXPECT_FALSE(parsed.rows[1][4].has_value());

    const ContentRows empty = parse_content_query("No result found.\n", kHeads);
    EXPECT_TRUE(empty.ok);
    EXPECT_TRUE(empty.rows.empty());

    // An answer that is not rows is an error with the phone's words, never an
    // empty success: a refused provider must not look like a phone without messages.
    const ContentRows refused = parse_content_query(
        "Error while accessing provider:sms\njava.lang.SecurityException: Permission Denial: reading\n", kHeads);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, "Error while accessing provider:sms");
    // A number column that holds text is not this projection's answer.
    EXPECT_FALSE(parse_content_query("Row: 0 _id=x, thread_id=2, type=1, date=3, address=a\n", kHeads).ok);
}

TEST(ContentQuery, RowsThatChangedBetweenTwoQueriesAreRefused) {
    const std::vector<std::string> ids = {"1", "2", "3"};
    // A message arrived (or was deleted) between the query of the ids and the
    // query of the bodies: bodies must not be paired with the wrong messages.
    EXPECT_FALSE(parse_content_query(answer({{"1", "a"}, {"2", "b"}}), kBodies, &ids).ok);
    EXPECT_FALSE(parse_content_query(answer({{"1", "a"}, {"3", "b"}, {"4", "c"}}), kBodies, &ids).ok);
    EXPECT_FALSE(parse_content_query("No result found.\n", kBodies, &ids).ok);
    EXPECT_TRUE(parse_content_query(answer({{"1", "a"}, {"2", "b"}, {"3", "c"}}), kBodies, &ids).ok);
}

}  // namespace
}  // namespace quen::phone
