#include "protocol/FormDispatcher.h"

#include "protocol/DisplayText.h"
#include "protocol/JsonText.h"

#include <array>
#include <optional>

namespace corvane {
namespace {

constexpr std::array<std::pair<std::string_view, FormPhase>, 3> phases = {{
    {"busy", FormPhase::Busy},
    {"success", FormPhase::Success},
    {"error", FormPhase::Error},
}};

std::optional<FormPhase> phaseFromName(std::string_view name)
{
    for (const auto& [phaseWord, phase] : phases) {
        if (phaseWord == name) {
            return phase;
        }
    }
    return std::nullopt;
}

} // namespace

std::string_view phaseName(FormPhase phase)
{
    for (const auto& [phaseWord, candidate] : phases) {
        if (candidate == phase) {
            return phaseWord;
        }
    }
    return {};
}

void FormDispatcher::receive(std::string_view line)
{
    const std::optional<nlohmann::json> message = parseJson(line);
    const std::string* type = message ? findString(*message, "type") : nullptr;
    bool accepted = false;
    if (type && *type == "form") {
        accepted = openForm(*message);
    } else if (type && *type == "exercise-form" && m_smoke) {
        accepted = exerciseForm(*message);
    } else if (type && *type == "form-result") {
        accepted = showResult(*message);
    }
    if (!accepted) {
        m_events.emit("protocol-error");
    }
}

bool FormDispatcher::openForm(const nlohmann::json& message)
{
    const std::string* mode = findString(message, "mode");
    const std::string* projectRoot = findString(message, "projectRoot");
    if (m_frontend.formShown() || !mode || (*mode != "setup" && *mode != "replace-key") || !projectRoot ||
        projectRoot->size() > maxProjectRootBytes) {
        return false;
    }
    m_frontend.buildForm(*mode == "setup", *projectRoot);
    if (m_smoke) {
        m_events.emit("form-presented", {{"mode", *mode}});
    }
    return true;
}

bool FormDispatcher::exerciseForm(const nlohmann::json& message)
{
    if (!m_frontend.formShown()) {
        return false;
    }
    if (const std::string* action = findString(message, "action"); action && *action == "cancel") {
        m_frontend.requestClose();
        return true;
    }
    const std::string* accessKey = findString(message, "accessKey");
    if (!accessKey) {
        return false;
    }
    m_frontend.submitKey(*accessKey);
    return true;
}

bool FormDispatcher::showResult(const nlohmann::json& message)
{
    const std::string* phaseWord = findString(message, "phase");
    const std::optional<FormPhase> phase = phaseWord ? phaseFromName(*phaseWord) : std::nullopt;
    const std::string* text = findString(message, "message");
    if (!m_frontend.formShown() || !phase || !text) {
        return false;
    }
    m_frontend.showResult(*phase, std::string(shownFormMessage(*text)));
    if (m_smoke) {
        m_events.emit("form-updated",
                      {{"phase", std::string(*phaseWord)}, {"inputEnabled", m_frontend.keyFieldEnabled()}});
    }
    return true;
}

} // namespace corvane
