#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "update/description/xml_description.h"
#include "update/update_test_support.h"

namespace quen::update {
namespace {

using test::kOurs;

struct Parsed {
    UpdateInfo info;
    bool ok = false;
    std::string error;
};

// Feeds the document in chunks of `chunk` bytes, as a download would.
Parsed parse(const std::string& doc, std::size_t chunk) {
    Parsed p;
    UpdateXmlParser parser(p.info);
    bool ok = true;
    for (std::size_t at = 0; ok && at < doc.size(); at += chunk)
        ok = parser.feed(doc.data() + at, std::min(chunk, doc.size() - at));
    if (ok) ok = parser.finish();
    p.ok = ok;
    p.error = parser.error();
    return p;
}

TEST(UpdateXml, OnlyThisProductsElementDecidesWhateverTheChunking) {
    const std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<updates>\n"
                            "  <product name=\"Other Tool\" version=\"9.0.0.0\"/>\n"
                            "  <product version=\"2.1.0.36\" extra=\"x\" name=\"" + kOurs + "\">text</product>\n"
                            "  <product name=\"Third\" version=\"1.0.0.0\"/>\n</updates>\n";
    for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
        const Parsed p = parse(doc, chunk);
        EXPECT_TRUE(p.ok) << p.error;
        EXPECT_TRUE(p.info.found) << chunk;
        EXPECT_TRUE(p.info.newer) << chunk;
        EXPECT_EQ(p.info.server_version, "2.1.0.36");
    }
}

TEST(UpdateXml, OtherProductsAloneAnnounceNothing) {
    const Parsed p = parse("<u><product name=\"Other Tool\" version=\"9.0.0.0\"/>"
                           "<product version=\"8.0\"/><product name=\"quenfora corvalin for android\" version=\"7.0\"/></u>",
                           5);
    EXPECT_TRUE(p.ok);
    EXPECT_FALSE(p.info.found);
    EXPECT_FALSE(p.info.newer);
    EXPECT_EQ(p.info.server_version, "");
}

TEST(UpdateXml, OurElementWithoutVersionOrWithBadVersion) {
    Parsed p = parse("<u><product name=\"" + kOurs + "\"/><product name=\"" + kOurs + "\" version=\"9.0\"/></u>", 3);
    EXPECT_TRUE(p.info.found);
    EXPECT_FALSE(p.info.newer);  // the first of ours decides, and it has no version

    p = parse("<u><product name=\"" + kOurs + "\" version=\"2.1.0.36 beta\"/></u>", 64);
    EXPECT_TRUE(p.info.found);
    EXPECT_FALSE(p.info.newer);

    p = parse("<u><product name=\"" + kOurs + "\" version=\"" + std::string(100, '9') + "\"/></u>", 64);
    EXPECT_TRUE(p.info.found);
    EXPECT_FALSE(p.info.newer);  // too long to be a version
}

TEST(UpdateXml, ErrorAfterOurElementKeepsTheAnswer) {
    Parsed p = parse("<u>\n<product name=\"" + kOurs + "\" version=\"2.2.0.1\"/>\n<oops a=></u>", 2);
    EXPECT_FALSE(p.ok);
    EXPECT_TRUE(p.info.newer);
    EXPECT_EQ(p.error.rfind("not well-formed", 0), 0u) << p.error;
    EXPECT_NE(p.error.find(" at line 3 "), std::string::npos) << p.error;

    p = parse("<u><oops a=></u><product name=\"" + kOurs + "\" version=\"2.2.0.1\"/>", 2);
    EXPECT_FALSE(p.ok);
    EXPECT_FALSE(p.info.found);
    EXPECT_FALSE(p.info.newer);

    // Feeding after an error does nothing.
    UpdateInfo info;
    UpdateXmlParser parser(info);
    EXPECT_FALSE(parser.feed("<<", 2));
    const std::string ours = "<product name=\"" + kOurs + "\" version=\"9.0\"/>";
    EXPECT_FALSE(parser.feed(ours.data(), ours.size()));
    EXPECT_FALSE(info.found);
}

TEST(UpdateXml, EntityExpansionIsBounded) {
    // A "billion laughs" document must fail, not exhaust memory.
    std::string doc = "<?xml version=\"1.0\"?><!DOCTYPE u [<!ENTITY a0 \"hahahahahahahahahahaha\">";
    for (int i = 1; i < 12; ++i) {
        doc += "<!ENTITY a" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) doc += "&a" + std::to_string(i - 1) + ";";
        doc += "\">";
    }
    doc += "]><u><product name=\"" + kOurs + "\" version=\"&a11;\"/></u>";
    const Parsed p = parse(doc, 4096);
    EXPECT_FALSE(p.ok);
    EXPECT_FALSE(p.info.newer);
}

}  // namespace
}  // namespace quen::update
