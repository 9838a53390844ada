// Strict decoding of a TrayState from one JSON text: exact types, no conversions, null counts as
// missing, unknown keys ignored at every level, rows decoded to any depth; of a key repeated in an
// object, the last one counts. No partial state is produced. A text is decoded while it is read, with
// no JSON value built (PlainJson, or nlohmann's parser for what that leaves out, into a TrayStateReader);
// trayStateFromJson applies the same rules to a parsed value. Pure; safe on any thread.
#pragma once

#include "protocol/TrayState.h"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

std::optional<TrayState> decodeTrayState(std::string_view text);

// A tray-mode line read in one pass: whether it is JSON at all (parseJson's rules), the tray state it
// holds, if any, and the string its top-level object has under "exerciseMenu", if any.
struct TrayLine {
    bool isJson = false;
    std::optional<TrayState> state;
    std::optional<std::string> exerciseMenu;
};
TrayLine decodeTrayLine(std::string_view text);

// The same rules on a value already parsed.
std::optional<TrayState> trayStateFromJson(const nlohmann::json& value);
// The same, from a value that is no longer needed: its strings are moved into the state, not copied.
std::optional<TrayState> trayStateFromJson(nlohmann::json&& value);

} // namespace corvane
