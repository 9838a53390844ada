#include "protocol/TrayDispatcher.h"

#include "protocol/TrayStateDecoder.h"
#include "protocol/TrayStateValidation.h"

namespace corvane {

void TrayDispatcher::receive(std::string_view line)
{
    // One pass over the text gives both readings of the line.
    const TrayLine decoded = decodeTrayLine(line);
    // A smoke-run exercise that does not name an enabled row falls through to tray-state decoding on the
    // same line, so it is refused exactly once.
    if (m_smoke && decoded.exerciseMenu && m_frontend.exerciseMenu(*decoded.exerciseMenu)) {
        return;
    }
    const std::optional<TrayState>& state = decoded.state;
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
