// Form-mode handling of one inbound line: a typed message ("form", "form-result", and in smoke runs
// "exercise-form"). Anything else is refused with one "protocol-error" and changes nothing.
// Main thread only.
#pragma once

#include "protocol/EventSink.h"
#include "protocol/FormFrontend.h"

#include <nlohmann/json_fwd.hpp>

namespace corvane {

constexpr std::size_t maxProjectRootBytes = 4096;

class FormDispatcher final {
public:
    FormDispatcher(FormFrontend& frontend, EventSink& events, bool smoke)
        : m_frontend(frontend), m_events(events), m_smoke(smoke)
    {}

    void receive(std::string_view line);

private:
    // Each answers whether it accepted the message.
    bool openForm(const nlohmann::json& message);
    bool exerciseForm(const nlohmann::json& message);
    bool showResult(const nlohmann::json& message);

    FormFrontend& m_frontend;
    EventSink& m_events;
    bool m_smoke = false;
};

} // namespace corvane
