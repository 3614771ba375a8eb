#pragma once
// A host that records what the controls send it, in order.
#include <vector>

#include "platform/message_sink.h"

namespace quen::test {

struct RecordingSink final : MessageSink {
    std::vector<Message> got;
    void post(unsigned id, WParam w, LParam l) override { got.push_back({id, w, l}); }
    void send(unsigned id, WParam w, LParam l) override { got.push_back({id, w, l}); }
};

}  // namespace quen::test
