#include "protocol/TrayDispatcher.h"

#include "protocol/JsonText.h"
#include "protocol/TrayStateDecoder.h"
#include "protocol/TrayStateValidation.h"

namespace corvane {

void TrayDispatcher::receive(std::string_view line)
{
    std::optional<nlohmann::json> value = parseJson(line);
    // A smoke-run exercise that does not name an enabled row falls through to tray-state decoding on the
    // same line, so it is refused exactly once.
    if (m_smoke && value) {
        if (const std::string* id = findString(*value, "exerciseMenu"); id && m_frontend.exerciseMenu(*id)) {
            return;
        }
    }
    // The parsed value is not needed after decoding, so its strings move into the state.
    const std::optional<TrayState> state = value ? trayStateFromJson(std::move(*value)) : std::nullopt;
    if (!state || !isValidTrayState(*state)) {
        m_events.emit("protocol-error");
        return;
    }
    m_frontend.apply(*state);
    if (m_smoke) {
        m_events.emit("state-applied", {{"status", state->status}});
    }
}

} // namespace corvane
