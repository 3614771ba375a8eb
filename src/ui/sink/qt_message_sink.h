#pragma once
// The window's side of the message sink: workers post and send numbered
// messages (WM_USER + n) and a widget receives them as Qt events of type
// QEvent::User + n on the user-interface thread.
//
//   post()  queues the event and returns at once;
//   send()  waits until the widget has handled it. Called on the widget's own
//           thread it is handled at once, so the window never waits on itself.
//
// A worker may outlive its window, so workers hold the sink by shared_ptr and
// the widget calls close() before it goes: that drops later messages and
// releases every sender still waiting. A sent event that is never delivered
// (its receiver destroyed first) releases its sender too, when Qt deletes it.
#include <QEvent>
#include <QObject>

#include <memory>

#include "platform/message_sink.h"

namespace quen::ui {

// The Qt event type that carries message `id` (WM_USER + n -> User + n).
QEvent::Type sink_event_type(unsigned id);

class QtMessageSink final : public MessageSink {
public:
    // Messages go to `receiver`, which must live on the user-interface thread.
    explicit QtMessageSink(QObject* receiver);
    ~QtMessageSink() override;

    void post(unsigned id, WParam wparam = 0, LParam lparam = 0) override;
    void send(unsigned id, WParam wparam = 0, LParam lparam = 0) override;

    // Called by the receiver before it goes (on its own thread): later posts
    // and sends are dropped, and every waiting sender returns.
    void close();
    bool closed() const;

    struct Shared;  // what the sink and its pending sends share

private:
    std::shared_ptr<Shared> shared_;
};

class SinkEvent final : public QEvent {
public:
    struct SendTicket;
    SinkEvent(const Message& msg, std::shared_ptr<QtMessageSink::Shared> sink, std::shared_ptr<SendTicket> ticket);
    ~SinkEvent() override;
    const Message& message() const { return msg_; }
    // False once its sink is closed: a message still queued then is dropped.
    bool live() const;

private:
    Message msg_;
    std::shared_ptr<QtMessageSink::Shared> sink_;
    std::shared_ptr<SendTicket> ticket_;
};

// The message an event carries, when it is one of ours and its sink is open.
const Message* sink_message(const QEvent* event);


}  // namespace quen::ui
