#pragma once
// MessageRelay: a receiver of its own for one job's messages. A job that can
// be abandoned while its messages are still queued (a storage scan ended by
// Back, say) reports through a relay; closing the relay drops whatever of its
// messages has not been handled yet, so nothing queued for an old job reaches
// the window after it has moved on to a new one.
#include <QObject>

#include <functional>
#include <memory>

#include "platform/message_sink.h"

namespace quen::ui {

class QtMessageSink;

class MessageRelay final : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const Message&)>;

    // Messages are handed to `handler` on the user-interface thread.
    MessageRelay(Handler handler, QObject* parent = nullptr);
    ~MessageRelay() override;

    // The sink the job reports to; it stays valid (and silent once closed) as
    // long as anyone holds it.
    const std::shared_ptr<QtMessageSink>& sink() const { return sink_; }
    MessageSink& sink_ref();

    // Drops every later and every queued message and releases waiting senders.
    void close();

protected:
    bool event(QEvent*) override;

private:
    Handler handler_;
    std::shared_ptr<QtMessageSink> sink_;
};

}  // namespace quen::ui
