// Writes event lines to a descriptor, normally standard output.
//
// Every byte of a line is written (a pipe may take part of it), and EINTR is retried. When a write fails
// (the controller closed its end: EPIPE, since SIGPIPE is ignored by the entry point), the writer goes
// quiet for good, so a partial line is never followed by more bytes, and the failure handler runs once so
// the application can stop in order. Main thread only.
#pragma once

#include "protocol/EventSink.h"

#include <functional>

namespace corvane {

class EventWriter final : public EventSink {
public:
    explicit EventWriter(int descriptor) : m_descriptor(descriptor) {}

    void emit(std::string_view name, const EventPayload& payload = {}) override;

    // Writes one already encoded line. Returns false when the line could not be written whole.
    bool writeLine(std::string_view line);

    bool failed() const { return m_failed; }
    void setFailureHandler(std::function<void()> handler) { m_failureHandler = std::move(handler); }

private:
    int m_descriptor = -1;
    bool m_failed = false;
    std::function<void()> m_failureHandler;
};

// The process's standard output, descriptor 1.
EventWriter& standardOutput();

// Writes one event to standard output.
void emit(std::string_view name, const EventPayload& payload = {});

} // namespace corvane
