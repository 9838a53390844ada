// Tray-mode handling of one inbound line: a tray state to show, or in smoke runs a menu exercise.
// Anything else is refused with one "protocol-error" and changes nothing. Main thread only.
#pragma once

#include "protocol/EventSink.h"
#include "protocol/TrayFrontend.h"

namespace corvane {

class TrayDispatcher final {
public:
    TrayDispatcher(TrayFrontend& frontend, EventSink& events, bool smoke)
        : m_frontend(frontend), m_events(events), m_smoke(smoke)
    {}

    void receive(std::string_view line);

private:
    TrayFrontend& m_frontend;
    EventSink& m_events;
    bool m_smoke = false;
};

} // namespace corvane
