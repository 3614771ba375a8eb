// The checks on their own threads, reporting through a message sink.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/queue_sink.h"
#include "test_support/local_http_server.h"
#include "update/update_test_support.h"
#include "update/update_texts.h"
#include "update/update_thread.h"

namespace quen::update {
namespace {

using namespace std::chrono_literals;
using test::LocalHttpServer;
using Reply = LocalHttpServer::Reply;
using Mode = LocalHttpServer::Mode;

// Pumps until the check has ended, collecting every message.
std::vector<Message> pump_until_finished(QueueSink& sink, const UpdateCheckHandle& check,
                                         const QueueSink::Handler& also = {}) {
    std::vector<Message> got;
    const QueueSink::Handler h = [&](const Message& m) {
        got.push_back(m);
        if (also) also(m);
    };
    for (int i = 0; i < 1000 && !check.finished(); ++i) sink.pump_one(h, 20ms);
    while (sink.pump_one(h, 0ms)) {
    }
    return got;
}

TEST(UpdateThread, ManualCheckPostsTheResult) {
    LocalHttpServer server(Reply{Mode::Respond, 200, "<u>" + test::product(test::kOurs, "2.1.0.36") + "</u>", {}, 0});
    auto sink = std::make_shared<QueueSink>();
    const UpdateCheckHandle check = start_manual_update_check(test::local_settings(server.url()), sink);
    const std::vector<Message> got = pump_until_finished(*sink, check);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].id, WM_UPDATE_RESULT);
    EXPECT_EQ(got[0].wparam, 1u);
    // The text outlives the thread that posted it.
    ASSERT_NE(got[0].lparam, 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(got[0].lparam), "2.1.0.36");
    EXPECT_EQ(update_result_text(got[0].wparam, got[0].lparam),
              "A new version of (2.1.0.36) is available. Click Yes to open download page.");
    EXPECT_EQ(check.failure(), "");
}

TEST(UpdateThread, ManualCheckAlwaysAnswers) {
    LocalHttpServer server(Reply{Mode::CloseAtOnce, 200, {}, {}, 0});
    auto sink = std::make_shared<QueueSink>();
    const UpdateCheckHandle check = start_manual_update_check(test::local_settings(server.url()), sink);
    const std::vector<Message> got = pump_until_finished(*sink, check);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wparam, 0u);
    EXPECT_EQ(got[0].lparam, 0);
    EXPECT_EQ(update_result_text(got[0].wparam, got[0].lparam), "This version of (2.1.0.35) is the latest version.");
    EXPECT_FALSE(check.failure().empty());
}

TEST(UpdateThread, AutomaticCheckSendsAndWaitsOnlyForNewer) {
    {
        LocalHttpServer server(Reply{Mode::Respond, 200, test::nversion_json("2.2.0.1"), {}, 0});
        auto sink = std::make_shared<QueueSink>();
        const UpdateCheckHandle check = start_automatic_update_check(test::local_settings(server.url()), sink);
        bool sender_waiting = false;
        const std::vector<Message> got = pump_until_finished(*sink, check, [&](const Message&) {
            sender_waiting = !check.finished();  // a send returns only after this
        });
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].wparam, 1u);
        EXPECT_STREQ(reinterpret_cast<const char*>(got[0].lparam), "2.2.0.1");
        EXPECT_TRUE(sender_waiting);
    }
    {
        LocalHttpServer server(Reply{Mode::Respond, 200, test::nversion_json("2.1.0.34"), {}, 0});
        auto sink = std::make_shared<QueueSink>();
        const UpdateCheckHandle check = start_automatic_update_check(test::local_settings(server.url()), sink);
        EXPECT_TRUE(pump_until_finished(*sink, check).empty());
        EXPECT_TRUE(check.finished());
    }
}

TEST(UpdateThread, CancelEndsAHangingCheckWithoutAMessage) {
    LocalHttpServer server(Reply{Mode::NeverAnswer, 200, {}, {}, 0});
    auto sink = std::make_shared<QueueSink>();
    // Long time-outs: only the cancel can end it within the wait below.
    UpdateCheckHandle check = start_manual_update_check(test::local_settings(server.url(), 60s), sink);
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(check.finished());
    check.cancel();
    EXPECT_TRUE(check.wait_for(15s));
    EXPECT_FALSE(sink->pump_one([](const Message&) {}, 0ms));
}

TEST(UpdateThread, TheThreadKeepsItsSinkAliveUntilItEnds) {
    LocalHttpServer server(Reply{Mode::NeverAnswer, 200, {}, {}, 0});
    auto sink = std::make_shared<QueueSink>();
    const std::weak_ptr<QueueSink> watch = sink;
    const UpdateCheckHandle check = start_manual_update_check(test::local_settings(server.url(), 300ms), sink);
    sink.reset();  // the receiver goes away while the check runs
    EXPECT_FALSE(watch.expired());
    ASSERT_TRUE(check.wait_for(15s));
    // The thread posted into the sink it owned, then let it go.
    for (int i = 0; i < 500 && !watch.expired(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace quen::update
