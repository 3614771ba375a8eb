// The manual check against a local HTTP server.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include "test_support/local_http_server.h"
#include "update/manual_check.h"
#include "update/update_test_support.h"

namespace quen::update {
namespace {

using test::LocalHttpServer;
using test::kOurs;
using test::product;
using Reply = LocalHttpServer::Reply;
using Mode = LocalHttpServer::Mode;

ManualCheckOutcome check_xml(const std::string& body, int status = 200) {
    LocalHttpServer server(Reply{Mode::Respond, status, body, {}, 0});
    EXPECT_TRUE(server.ok());
    return run_manual_check(test::local_settings(server.url()));
}

TEST(ManualCheck, ThisProductAfterAnotherDecides) {
    ManualCheckOutcome out = check_xml("<updates>" + product("Other", "1.0.0.0") + product(kOurs, "2.1.0.36") + "</updates>");
    EXPECT_TRUE(out.info.newer);
    EXPECT_EQ(out.info.server_version, "2.1.0.36");
    EXPECT_EQ(out.failure, "");

    out = check_xml("<updates>" + product("Other", "9.0.0.0") + product(kOurs, "2.1.0.35") + "</updates>");
    EXPECT_TRUE(out.info.found);
    EXPECT_FALSE(out.info.newer);
    EXPECT_EQ(out.failure, "");
}

TEST(ManualCheck, ProductsAfterThisOneAreIgnored) {
    ManualCheckOutcome out = check_xml("<updates>" + product(kOurs, "2.1.0.35") + product("Other", "9.0.0.0") + "</updates>");
    EXPECT_TRUE(out.info.found);
    EXPECT_FALSE(out.info.newer);

    out = check_xml("<updates>" + product(kOurs, "2.2.0.1") + product("Other", "1.0.0.0") + "</updates>");
    EXPECT_TRUE(out.info.newer);
    EXPECT_EQ(out.info.server_version, "2.2.0.1");
}

TEST(ManualCheck, FileWithoutThisProductIsNoNewVersion) {
    // Another product's version is never announced as ours.
    const ManualCheckOutcome out = check_xml("<updates>" + product("Other", "9.0.0.0") + "</updates>");
    EXPECT_FALSE(out.info.found);
    EXPECT_FALSE(out.info.newer);
    EXPECT_EQ(out.failure, "");
}

TEST(ManualCheck, MalformedXml) {
    // After our element: what was parsed stands.
    ManualCheckOutcome out = check_xml("<updates>" + product(kOurs, "2.1.0.36") + "<bad a=1></updates>");
    EXPECT_TRUE(out.info.newer);
    EXPECT_EQ(out.failure, "");

    // Before it (or no XML at all): nothing learned, and the reason is given.
    out = check_xml("<updates><bad a=1>" + product(kOurs, "2.1.0.36") + "</updates>");
    EXPECT_FALSE(out.info.newer);
    EXPECT_NE(out.failure.find("not valid XML"), std::string::npos) << out.failure;
    out = check_xml("{\"Contavire\": []}");
    EXPECT_FALSE(out.info.newer);
    EXPECT_NE(out.failure.find("not valid XML"), std::string::npos) << out.failure;
    out = check_xml("");
    EXPECT_NE(out.failure.find("not valid XML"), std::string::npos) << out.failure;
}

TEST(ManualCheck, HttpErrorStatusIsAFailure) {
    const ManualCheckOutcome out = check_xml("<html><body>Not here</body></html>", 404);
    EXPECT_FALSE(out.info.newer);
    EXPECT_EQ(out.fetch.http_status, 404);
    EXPECT_NE(out.failure.find("HTTP status 404"), std::string::npos) << out.failure;
}

TEST(ManualCheck, SendsAGetForTheFileWithItsUserAgent) {
    LocalHttpServer server(Reply{Mode::Respond, 200, "<u/>", {}, 0});
    run_manual_check(test::local_settings(server.url()));
    const std::string head = server.first_request();
    EXPECT_EQ(head.rfind("GET /win-update.xml HTTP/1.1\r\n", 0), 0u) << head;
    EXPECT_NE(head.find("User-Agent: WinHTTP Example/1.0\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("Cache-Control: no-cache\r\n"), std::string::npos) << head;
}

TEST(ManualCheck, ServerFailures) {
    {
        LocalHttpServer server(Reply{Mode::CloseAtOnce, 200, {}, {}, 0});
        const ManualCheckOutcome out = run_manual_check(test::local_settings(server.url()));
        EXPECT_FALSE(out.info.newer);
        EXPECT_EQ(out.fetch.end, FetchEnd::Failed);
        EXPECT_NE(out.failure.find("cannot fetch"), std::string::npos) << out.failure;
    }
    {
        // A server that never answers: the total time-out ends the check.
        LocalHttpServer server(Reply{Mode::NeverAnswer, 200, {}, {}, 0});
        const ManualCheckOutcome out =
            run_manual_check(test::local_settings(server.url(), std::chrono::milliseconds(300)));
        EXPECT_FALSE(out.info.newer);
        EXPECT_EQ(out.fetch.curl_code, CURLE_OPERATION_TIMEDOUT);
        EXPECT_FALSE(out.failure.empty());
    }
    {
        // https: a TLS handshake is attempted, and its failure ends the check cleanly.
        LocalHttpServer server(Reply{Mode::CloseAtOnce, 200, {}, {}, 0});
        std::string url = server.url();
        url.replace(0, 4, "https");
        const ManualCheckOutcome out = run_manual_check(test::local_settings(url));
        EXPECT_EQ(out.fetch.end, FetchEnd::Failed);
        EXPECT_EQ(out.fetch.curl_code, CURLE_SSL_CONNECT_ERROR);
        EXPECT_FALSE(out.failure.empty());
    }
    {
        const ManualCheckOutcome out = run_manual_check(
            test::local_settings("http://127.0.0.1:" + std::to_string(LocalHttpServer::closed_port()) + "/win-update.xml"));
        EXPECT_EQ(out.fetch.end, FetchEnd::NoConnection);
        EXPECT_FALSE(out.failure.empty());
    }
}

TEST(ManualCheck, TenMegabytesAreNotAllRead) {
    const std::uint64_t ten_mb = 10u << 20;
    {
        LocalHttpServer server(Reply{Mode::Flood, 200, "<updates>", "<pad a=\"0123456789\"/>\n", ten_mb});
        UpdateSettings s = test::local_settings(server.url());
        s.max_body_bytes = 1u << 20;
        const ManualCheckOutcome out = run_manual_check(s);
        EXPECT_LE(out.fetch.body_bytes, s.max_body_bytes);
        EXPECT_EQ(out.fetch.end, FetchEnd::StoppedByReceiver);
        EXPECT_FALSE(out.info.newer);
        EXPECT_NE(out.failure.find("longer than 1048576 bytes"), std::string::npos) << out.failure;
    }
    {
        // Our element came first: its answer stands though the rest is cut off.
        LocalHttpServer server(Reply{Mode::Flood, 200, "<updates>" + product(kOurs, "2.1.0.40"), "<pad/>", ten_mb});
        const ManualCheckOutcome out = run_manual_check(test::local_settings(server.url()));
        EXPECT_LE(out.fetch.body_bytes, UpdateSettings{}.max_body_bytes);
        EXPECT_TRUE(out.info.newer);
        EXPECT_EQ(out.info.server_version, "2.1.0.40");
        EXPECT_EQ(out.failure, "");
    }
}

}  // namespace
}  // namespace quen::update

namespace quen::update {
namespace {

std::string read_all(std::FILE* f) {
    std::rewind(f);
    std::string s;
    char buf[512];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
    return s;
}

TEST(ManualCheck, DiagnosticLines) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out && err);
    {
        UpdateSettings s = test::local_settings("http://127.0.0.1:" + std::to_string(LocalHttpServer::closed_port()) + "/");
        s.diag_out = out;
        s.diag_err = err;
        run_manual_check(s);
    }
    EXPECT_EQ(read_all(out), "www_start: 127.0.0.1\nError " + std::to_string(CURLE_COULDNT_CONNECT) + " has occurred.\n");
    {
        LocalHttpServer server(Reply{Mode::Respond, 200, "<u>\n<x y=></u>", {}, 0});
        UpdateSettings s = test::local_settings(server.url());
        s.diag_out = nullptr;
        s.diag_err = err;
        run_manual_check(s);
    }
    EXPECT_EQ(read_all(err), "not well-formed (invalid token) at line 2 \n");
    std::fclose(out);
    std::fclose(err);
}

}  // namespace
}  // namespace quen::update
