#include "ui/sink/qt_message_sink.h"

#include <QCoreApplication>
#include <QThread>

#include <condition_variable>
#include <mutex>

namespace quen::ui {

// Two locks: `post_mutex` keeps the receiver from going (close() runs before
// its destruction) while an event is handed to Qt; `wait_mutex` guards what
// senders wait for. An event's destructor takes only the second, so it can run
// anywhere, even inside a post.
struct QtMessageSink::Shared {
    std::mutex post_mutex;
    QObject* receiver = nullptr;  // null once closed

    std::mutex wait_mutex;
    std::condition_variable handled;
    bool closed = false;
};

struct SinkEvent::SendTicket {
    bool done = false;
};

QEvent::Type sink_event_type(unsigned id) {
    return static_cast<QEvent::Type>(QEvent::User + static_cast<int>(id - WM_USER));
}

SinkEvent::SinkEvent(const Message& msg, std::shared_ptr<QtMessageSink::Shared> sink, std::shared_ptr<SendTicket> ticket)
    : QEvent(sink_event_type(msg.id)), msg_(msg), sink_(std::move(sink)), ticket_(std::move(ticket)) {}

SinkEvent::~SinkEvent() {
    // Qt deletes a posted event after its delivery, or unhandled when its
    // receiver is destroyed; either way the sender may go on.
    if (!ticket_) return;
    {
        std::lock_guard lk(sink_->wait_mutex);
        ticket_->done = true;
    }
    sink_->handled.notify_all();
}

bool SinkEvent::live() const {
    if (!sink_) return true;
    std::lock_guard lk(sink_->wait_mutex);
    return !sink_->closed;
}

const Message* sink_message(const QEvent* event) {
    if (event->type() < QEvent::User) return nullptr;
    const auto* e = dynamic_cast<const SinkEvent*>(event);
    return e && e->live() ? &e->message() : nullptr;
}

QtMessageSink::QtMessageSink(QObject* receiver) : shared_(std::make_shared<Shared>()) {
    shared_->receiver = receiver;
}

QtMessageSink::~QtMessageSink() = default;

void QtMessageSink::post(unsigned id, WParam wparam, LParam lparam) {
    std::lock_guard lk(shared_->post_mutex);
    if (!shared_->receiver) return;
    QCoreApplication::postEvent(shared_->receiver, new SinkEvent(Message{id, wparam, lparam}, shared_, nullptr));
}

void QtMessageSink::send(unsigned id, WParam wparam, LParam lparam) {
    std::unique_lock post_lock(shared_->post_mutex);
    QObject* receiver = shared_->receiver;
    if (!receiver) return;
    if (receiver->thread() == QThread::currentThread()) {
        // The receiver's own thread: handled now, as a window procedure would.
        post_lock.unlock();
        SinkEvent event(Message{id, wparam, lparam}, shared_, nullptr);
        QCoreApplication::sendEvent(receiver, &event);
        return;
    }
    auto ticket = std::make_shared<SinkEvent::SendTicket>();
    QCoreApplication::postEvent(receiver, new SinkEvent(Message{id, wparam, lparam}, shared_, ticket));
    post_lock.unlock();

    std::unique_lock wait_lock(shared_->wait_mutex);
    shared_->handled.wait(wait_lock, [&] { return ticket->done || shared_->closed; });
}

void QtMessageSink::close() {
    {
        std::lock_guard lk(shared_->post_mutex);
        shared_->receiver = nullptr;
    }
    {
        std::lock_guard lk(shared_->wait_mutex);
        shared_->closed = true;
    }
    shared_->handled.notify_all();
}

bool QtMessageSink::closed() const {
    std::lock_guard lk(shared_->wait_mutex);
    return shared_->closed;
}

}  // namespace quen::ui
