// A tray that shows nothing and an event sink that only counts: what the protocol layer drives when
// its own cost is measured in-process, without Qt. Main thread by use.
#pragma once

#include "protocol/EventSink.h"
#include "protocol/TrayFrontend.h"

#include <cstddef>

namespace corvane::bench {

class NullTray final : public TrayFrontend, public EventSink {
public:
    void apply(const TrayState& state) override { m_rows += state.menu.size(); }
    bool exerciseMenu(std::string_view) override { return false; }
    void emit(std::string_view, const EventPayload&) override { ++m_events; }

    std::size_t events() const { return m_events; }
    std::size_t rows() const { return m_rows; }

private:
    std::size_t m_events = 0;
    std::size_t m_rows = 0;
};

} // namespace corvane::bench
