#include "ui/sink/message_relay.h"

#include "ui/sink/qt_message_sink.h"

namespace quen::ui {

MessageRelay::MessageRelay(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), sink_(std::make_shared<QtMessageSink>(this)) {}

MessageRelay::~MessageRelay() { sink_->close(); }

MessageSink& MessageRelay::sink_ref() { return *sink_; }

void MessageRelay::close() { sink_->close(); }

bool MessageRelay::event(QEvent* e) {
    if (const Message* m = sink_message(e)) {
        if (handler_) handler_(*m);
        return true;
    }
    return QObject::event(e);
}

}  // namespace quen::ui
