// The automatic check against a local HTTP server.
#include <gtest/gtest.h>

#include "update/automatic_check.h"
#include "test_support/local_http_server.h"
#include "update/update_test_support.h"

namespace quen::update {
namespace {

using test::LocalHttpServer;
using test::nversion_json;
using Reply = LocalHttpServer::Reply;
using Mode = LocalHttpServer::Mode;

AutomaticCheckOutcome check_json(const std::string& body) {
    LocalHttpServer server(Reply{Mode::Respond, 200, body, {}, 0});
    EXPECT_TRUE(server.ok());
    return run_automatic_check(test::local_settings(server.url()));
}

TEST(AutomaticCheck, AnnouncesOnlyANewerVersion) {
    for (const char* newer : {"2.1.0.36", "2.2.0.1", "2.1.9.35", "3.0"}) {
        const AutomaticCheckOutcome out = check_json(nversion_json(newer));
        EXPECT_EQ(out.end, AutomaticEnd::Announce) << newer;
        EXPECT_EQ(out.version, newer);
    }
    // Equal, older, or not a version: silent.
    for (const char* other : {"2.1.0.35", "2.1.0.34", "1.9", "2.1.0.35-beta", ""}) {
        const AutomaticCheckOutcome out = check_json(nversion_json(other));
        EXPECT_EQ(out.end, AutomaticEnd::Silent) << '"' << other << '"';
        EXPECT_EQ(out.version, other);
        EXPECT_EQ(out.failure, "");
    }
}

TEST(AutomaticCheck, MissingMembersAreSilent) {
    for (const char* body : {"{}", "{\"Contavire\": []}", "{\"Contavire\": [{}]}", "{\"Contavire\": [\"2.2\"]}",
                             "{\"Contavire\": {\"Nversion\": \"2.2\"}}", "{\"Contavire\": [{\"Nversion\": 3}]}",
                             "{\"Nversion\": \"3.0\"}"}) {
        const AutomaticCheckOutcome out = check_json(body);
        EXPECT_EQ(out.end, AutomaticEnd::Silent) << body;
        EXPECT_EQ(out.version, "") << body;
    }
}

TEST(AutomaticCheck, TextThatIsNotAnObjectIsAFailure) {
    for (const char* body : {"not json at all", "<updates/>", "[{\"Contavire\": [{\"Nversion\": \"3.0\"}]}]", "\"3.0\"",
                             "{\"Contavire\": [{\"Nversion\": \"3.0\"}]", ""}) {
        const AutomaticCheckOutcome out = check_json(body);
        EXPECT_EQ(out.end, AutomaticEnd::Failed) << body;
        EXPECT_FALSE(out.failure.empty()) << body;
    }
}

TEST(AutomaticCheck, OnlyTheFirstKilobyteUpToAZeroByteIsRead) {
    std::string body = nversion_json("2.1.0.36");
    body += '\0';
    body += "trailing bytes";
    EXPECT_EQ(check_json(body).end, AutomaticEnd::Announce);

    const std::string padded = "{\"Pad\": \"" + std::string(1100, 'x') + "\", " + nversion_json("2.1.0.36").substr(1);
    EXPECT_EQ(check_json(padded).end, AutomaticEnd::Failed);  // cut off at 1024 bytes
}

TEST(AutomaticCheck, ServerFailuresEndIt) {
    {
        LocalHttpServer server(Reply{Mode::CloseAtOnce, 200, {}, {}, 0});
        EXPECT_EQ(run_automatic_check(test::local_settings(server.url())).end, AutomaticEnd::Failed);
    }
    {
        LocalHttpServer server(Reply{Mode::NeverAnswer, 200, {}, {}, 0});
        const AutomaticCheckOutcome out =
            run_automatic_check(test::local_settings(server.url(), std::chrono::milliseconds(300)));
        EXPECT_EQ(out.end, AutomaticEnd::Failed);
        EXPECT_NE(out.failure.find("timed out"), std::string::npos) << out.failure;
    }
    {
        // Nobody listening: no connection, as without a network.
        const std::string url = "http://127.0.0.1:" + std::to_string(LocalHttpServer::closed_port()) + "/win-update.xml";
        EXPECT_EQ(run_automatic_check(test::local_settings(url)).end, AutomaticEnd::NoConnection);
    }
    {
        LocalHttpServer server(Reply{Mode::Respond, 500, nversion_json("3.0"), {}, 0});
        EXPECT_EQ(run_automatic_check(test::local_settings(server.url())).end, AutomaticEnd::Failed);
    }
}

TEST(AutomaticCheck, TenMegabytesEndAfterTheFirstRead) {
    LocalHttpServer server(Reply{Mode::Flood, 200, "{\"Contavire\": [{\"Nversion\": \"3.0\", \"Pad\": \"", "abcdefgh",
                                 std::uint64_t{10} << 20});
    const AutomaticCheckOutcome out = run_automatic_check(test::local_settings(server.url()));
    EXPECT_EQ(out.end, AutomaticEnd::Failed);  // an unfinished object
    const std::string head = server.first_request();
    EXPECT_NE(head.find("User-Agent: Quenfora@Update\r\n"), std::string::npos) << head;
}

}  // namespace
}  // namespace quen::update
