// Strict decoding of a TrayState from one JSON text: exact types, no conversions, null counts as
// missing, unknown keys ignored at every level, rows decoded to any depth; of a key repeated in an
// object, the last one counts. No partial state is produced. The text is decoded while nlohmann's parser
// reads it (a TrayStateReader behind its SAX interface), so no JSON value is built and torn down; the
// parser alone decides whether the text is JSON, with parseJson's rules. Pure; safe on any thread.
#pragma once

#include "protocol/TrayState.h"

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

std::optional<TrayState> decodeTrayState(std::string_view text);

// A tray-mode line read in one pass: the tray state it holds, if any, and the string its top-level object
// has under "exerciseMenu", if any (both empty when the text is not JSON).
struct TrayLine {
    std::optional<TrayState> state;
    std::optional<std::string> exerciseMenu;
};
TrayLine decodeTrayLine(std::string_view text);

} // namespace corvane
