// The window's message sink: posts arrive in order as User + n events, a send
// from a worker waits for the handler, a send on the window's own thread is
// handled at once, and no sender is left waiting when the window goes.
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

#include "ui/sink/qt_message_sink.h"
#include "ui_test_main.h"

using namespace quen;
using quen::ui::QtMessageSink;

namespace {

class Receiver : public QObject {
public:
    std::vector<Message> got;
    std::vector<int> types;
    bool event(QEvent* e) override {
        if (const Message* m = ui::sink_message(e)) {
            got.push_back(*m);
            types.push_back(e->type());
            return true;
        }
        return QObject::event(e);
    }
};

}  // namespace

class SinkTest : public QObject {
    Q_OBJECT
private slots:
    void posts_arrive_in_order_as_user_events() {
        Receiver r;
        auto sink = std::make_shared<QtMessageSink>(&r);
        std::thread worker([sink] {
            for (WParam i = 1; i <= 8; ++i) sink->post(WM_LOAD_PROGRESS, i, 8);
            sink->post(WM_PHONE_DATA_LOADED);
        });
        worker.join();
        QVERIFY(r.got.empty());  // queued, not delivered inside post()
        QTRY_COMPARE(r.got.size(), size_t{9});
        for (WParam i = 0; i < 8; ++i) QCOMPARE(r.got[i].wparam, i + 1);
        QCOMPARE(r.got.back().id, WM_PHONE_DATA_LOADED);
        QCOMPARE(r.types.front(), int(QEvent::User) + 115);
        QCOMPARE(r.types.back(), int(QEvent::User) + 110);
    }

    void send_waits_for_the_handler_and_is_immediate_on_the_ui_thread() {
        Receiver r;
        auto sink = std::make_shared<QtMessageSink>(&r);
        sink->send(WM_UPDATE_RESULT, 1, 0);
        QCOMPARE(r.got.size(), size_t{1});  // handled inside send()

        std::atomic<bool> returned{false};
        std::atomic<size_t> seen_at_return{0};
        std::thread worker([&] {
            sink->send(WM_UPDATE_RESULT, 0, 0);
            seen_at_return = r.got.size();
            returned = true;
        });
        QTest::qSleep(100);  // no events handled meanwhile
        const bool early = returned;
        QTRY_VERIFY_WITH_TIMEOUT(returned, 5000);
        worker.join();
        QVERIFY(!early);
        QCOMPARE(seen_at_return.load(), size_t{2});
    }

    void closing_or_destroying_the_receiver_releases_waiting_senders() {
        {
            Receiver r;
            auto sink = std::make_shared<QtMessageSink>(&r);
            std::thread worker([sink] { sink->send(WM_UPDATE_RESULT, 1, 0); });
            QTest::qSleep(50);  // the send is waiting; no event loop runs here
            sink->close();
            worker.join();
            sink->post(WM_RECOVERY_DONE, 4, 0);  // dropped: nobody is left to receive it
            QCoreApplication::processEvents();
            QVERIFY(r.got.empty());
        }
        {
            auto r = std::make_unique<Receiver>();
            auto sink = std::make_shared<QtMessageSink>(r.get());
            std::atomic<bool> queued{false};
            std::thread worker([sink, &queued] {
                queued = true;
                sink->send(WM_UPDATE_RESULT, 1, 0);
            });
            while (!queued) QTest::qSleep(5);
            QTest::qSleep(50);
            // A receiver destroyed before its sink is closed: Qt deletes its
            // pending events undelivered, which releases the sender too.
            r.reset();
            worker.join();
        }
    }
};

QUEN_UI_TEST(SinkTest);
#include "sink_test.moc"
