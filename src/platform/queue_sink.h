#pragma once
// A message sink backed by a queue, with a receive loop run by the thread that
// plays the receiver (the command line's main thread, a test).
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/message_sink.h"

namespace quen {

class QueueSink final : public MessageSink {
public:
    using Handler = std::function<void(const Message&)>;

    void post(unsigned id, WParam wparam = 0, LParam lparam = 0) override;
    // Blocks until the receive loop has handled the message. Called on the
    // receiving thread itself, the message is handled at once (as a window
    // would), so a receiver never waits on itself. After close() it returns
    // without waiting: nobody is left to handle it.
    void send(unsigned id, WParam wparam = 0, LParam lparam = 0) override;

    // Handles the next message with the handler; waits at most `timeout`.
    // Returns false when no message arrived in time or the sink is closed.
    // An exception from the handler reaches the caller, on the receiving
    // thread, and never the sender: a sender waiting for that message is
    // released first, as if it had been handled.
    bool pump_one(const Handler& handler, std::chrono::milliseconds timeout);

    // Handles messages until `done` returns true after a message (checked after
    // each one) or `timeout` passes without any message. Returns whether `done`.
    bool pump_until(const Handler& handler, const std::function<bool()>& done,
                    std::chrono::milliseconds idle_timeout);

    // Releases every waiting sender; later sends and posts are dropped.
    void close();

    // The thread that runs the receive loop; set on the first pump call and
    // used to recognise a send from the receiver itself.
    void bind_receiver(std::thread::id id);

private:
    struct Entry {
        Message msg;
        bool is_send = false;
        uint64_t ticket = 0;
    };
    void release_sender(uint64_t ticket);

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable handled_;
    std::deque<Entry> queue_;
    Handler inline_handler_;
    uint64_t next_ticket_ = 1;
    uint64_t handled_upto_ = 0;  // every send ticket <= this has been handled
    bool closed_ = false;
    bool bound_ = false;
    std::thread::id receiver_;
};

}  // namespace quen
