#include "platform/queue_sink.h"

namespace quen {

void QueueSink::bind_receiver(std::thread::id id) {
    std::lock_guard lk(mutex_);
    receiver_ = id;
    bound_ = true;
}

void QueueSink::post(unsigned id, WParam wparam, LParam lparam) {
    {
        std::lock_guard lk(mutex_);
        if (closed_) return;
        queue_.push_back(Entry{Message{id, wparam, lparam}, false, 0});
    }
    arrived_.notify_all();
}

void QueueSink::send(unsigned id, WParam wparam, LParam lparam) {
    std::unique_lock lk(mutex_);
    if (closed_) return;
    if (bound_ && receiver_ == std::this_thread::get_id() && inline_handler_) {
        Handler handler = inline_handler_;
        lk.unlock();
        handler(Message{id, wparam, lparam});
        return;
    }
    const uint64_t ticket = next_ticket_++;
    queue_.push_back(Entry{Message{id, wparam, lparam}, true, ticket});
    arrived_.notify_all();
    handled_.wait(lk, [&] { return closed_ || handled_upto_ >= ticket; });
}

bool QueueSink::pump_one(const Handler& handler, std::chrono::milliseconds timeout) {
    std::unique_lock lk(mutex_);
    if (!bound_) {
        receiver_ = std::this_thread::get_id();
        bound_ = true;
    }
    inline_handler_ = handler;
    if (!arrived_.wait_for(lk, timeout, [&] { return closed_ || !queue_.empty(); })) return false;
    if (closed_) return false;
    Entry entry = queue_.front();
    queue_.pop_front();
    lk.unlock();
    if (!entry.is_send) {
        handler(entry.msg);
        return true;
    }
    try {
        handler(entry.msg);
    } catch (...) {
        // The sender waits for the handling to end, however it ends; the
        // failure belongs to the receiver, whose handler threw it.
        release_sender(entry.ticket);
        throw;
    }
    release_sender(entry.ticket);
    return true;
}

void QueueSink::release_sender(uint64_t ticket) {
    {
        std::lock_guard lk(mutex_);
        // Sends are queued in ticket order and handled in queue order.
        handled_upto_ = ticket;
    }
    handled_.notify_all();
}

bool QueueSink::pump_until(const Handler& handler, const std::function<bool()>& done,
                           std::chrono::milliseconds idle_timeout) {
    if (done()) return true;
    while (pump_one(handler, idle_timeout)) {
        if (done()) return true;
    }
    return done();
}

void QueueSink::close() {
    {
        std::lock_guard lk(mutex_);
        closed_ = true;
        queue_.clear();
    }
    arrived_.notify_all();
    handled_.notify_all();
}

}  // namespace quen
