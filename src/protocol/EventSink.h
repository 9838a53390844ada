// Where events go. The process writes them to standard output (EventWriter); tests collect them.
// Main thread only: events are never written from the input reader's thread.
#pragma once

#include "protocol/Event.h"

namespace corvane {

class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void emit(std::string_view name, const EventPayload& payload = {}) = 0;
};

} // namespace corvane
