#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/queue_sink.h"

using namespace quen;
using namespace std::chrono_literals;

TEST(QueueSink, PostsArriveInOrderAndSendWaitsUntilHandled) {
    QueueSink sink;
    std::atomic<bool> send_returned{false};
    std::vector<unsigned> seen;
    std::thread worker([&] {
        sink.post(WM_LOAD_PROGRESS, 1);
        sink.post(WM_LOAD_PROGRESS, 2);
        sink.send(WM_UPDATE_RESULT, 3);
        send_returned = true;
    });
    // The send cannot have returned before the receiver handled it.
    bool send_seen_before_return = false;
    sink.pump_until(
        [&](const Message& m) {
            seen.push_back(static_cast<unsigned>(m.wparam));
            if (m.id == WM_UPDATE_RESULT) send_seen_before_return = !send_returned.load();
        },
        [&] { return seen.size() == 3; }, 5s);
    worker.join();
    EXPECT_EQ(seen, (std::vector<unsigned>{1, 2, 3}));
    EXPECT_TRUE(send_seen_before_return);
    EXPECT_TRUE(send_returned);
}

TEST(QueueSink, SendFromTheReceiverItselfIsHandledInline) {
    QueueSink sink;
    int handled = 0;
    auto handler = [&](const Message& m) {
        ++handled;
        if (m.id == WM_DEVICE_STATE) sink.send(WM_LOAD_PROGRESS);  // must not deadlock
    };
    sink.post(WM_DEVICE_STATE);
    ASSERT_TRUE(sink.pump_one(handler, 1s));
    EXPECT_EQ(handled, 2);
}

TEST(QueueSink, CloseReleasesAWaitingSender) {
    QueueSink sink;
    std::thread worker([&] { sink.send(WM_UPDATE_RESULT); });
    std::this_thread::sleep_for(20ms);
    sink.close();
    worker.join();  // would hang if close left the sender waiting
    EXPECT_FALSE(sink.pump_one([](const Message&) {}, 10ms));
}

TEST(QueueSink, HandlerThatThrowsOnASendReleasesTheSenderAndTellsTheReceiver) {
    QueueSink sink;
    std::atomic<int> sends_returned{0};
    std::thread worker([&] {
        sink.send(WM_UPDATE_RESULT, 1);  // its handler throws
        ++sends_returned;
        sink.send(WM_UPDATE_RESULT, 2);  // the receiver goes on after the failure
        ++sends_returned;
    });
    std::vector<WParam> handled;
    auto handler = [&](const Message& m) {
        if (m.wparam == 1) throw std::runtime_error("handler failed");
        handled.push_back(m.wparam);
    };
    try {
        sink.pump_one(handler, 5s);
        ADD_FAILURE() << "the handler's exception did not reach the receiver";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "handler failed");
    }
    EXPECT_TRUE(sink.pump_one(handler, 5s));
    EXPECT_EQ(handled, (std::vector<WParam>{2}));
    for (int i = 0; i < 500 && sends_returned < 2; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(sends_returned.load(), 2) << "the sender still waits";
    sink.close();  // lets a stuck sender go, so that a failure ends instead of hanging
    worker.join();
}

TEST(QueueSink, MessageNumbersAreUserPlusN) {
    EXPECT_EQ(WM_PHONE_DATA_LOADED, 1134u);
    EXPECT_EQ(WM_SCAN_EVENT, 1143u);
    EXPECT_EQ(WM_LIST_ROW_CHECKED, 1124u);
}
