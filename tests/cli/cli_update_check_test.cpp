// quenfora-cli update-check, run as a program against a local server.
#include <gtest/gtest.h>

#include <string>

#include "test_support/cli_run.h"
#include "test_support/local_http_server.h"
#include "update/update_test_support.h"

namespace quen::cli {
namespace {

using test::kCliProgram;
using test::kOurs;
using test::LocalHttpServer;
using test::nversion_json;
using test::product;
using test::run_command;
using test::shell_quote;
using Reply = LocalHttpServer::Reply;
using Mode = LocalHttpServer::Mode;

const std::string kNewer = "A new version of (2.1.0.36) is available. Click Yes to open download page.\n";
const std::string kLatest = "This version of (2.1.0.35) is the latest version.\n";

struct CliRun {
    std::string out;
    int code = -1;
};

CliRun run_cli(const std::string& args) {
    auto [out, code] = run_command(shell_quote(kCliProgram) + " " + args + " 2>/dev/null");
    return {out, code};
}

CliRun run_against(const Reply& reply, const std::string& options) {
    LocalHttpServer server(reply);
    return run_cli("update-check " + options + " --url " + server.url());
}

TEST(UpdateCheckCli, ManualPrintsTheMessageBoxText) {
    CliRun r = run_against(Reply{Mode::Respond, 200, "<u>" + product(kOurs, "2.1.0.36") + "</u>", {}, 0}, "");
    EXPECT_EQ(r.out, kNewer);
    EXPECT_EQ(r.code, 0);

    for (const char* v : {"2.1.0.35", "2.1.0.30", "1.0"}) {
        r = run_against(Reply{Mode::Respond, 200, "<u>" + product(kOurs, v) + "</u>", {}, 0}, "");
        EXPECT_EQ(r.out, kLatest) << v;
        EXPECT_EQ(r.code, 0) << v;
    }
}

TEST(UpdateCheckCli, ManualNetworkFailureShowsLatestButExitsOne) {
    const CliRun r = run_against(Reply{Mode::CloseAtOnce, 200, {}, {}, 0}, "");
    EXPECT_EQ(r.out, kLatest);
    EXPECT_EQ(r.code, 1);
}

TEST(UpdateCheckCli, AutoIsSilentUnlessNewer) {
    CliRun r = run_against(Reply{Mode::Respond, 200, nversion_json("2.1.0.36"), {}, 0}, "--auto");
    EXPECT_EQ(r.out, kNewer);
    EXPECT_EQ(r.code, 0);
    for (const char* v : {"2.1.0.35", "2.1.0.34", ""}) {
        r = run_against(Reply{Mode::Respond, 200, nversion_json(v), {}, 0}, "--auto");
        EXPECT_EQ(r.out, "") << v;
        EXPECT_EQ(r.code, 0) << v;
    }
    r = run_against(Reply{Mode::Respond, 200, "not json", {}, 0}, "--auto");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.code, 1);
}

TEST(UpdateCheckCli, OnlyHttpAndHttpsAddresses) {
    EXPECT_EQ(run_cli("update-check --url ftp://127.0.0.1/win-update.xml").code, 2);
    EXPECT_EQ(run_cli("update-check --url not-a-url").code, 2);
}

}  // namespace
}  // namespace quen::cli
