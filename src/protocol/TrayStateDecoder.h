// Strict decoding of a TrayState from one JSON text: exact types, no conversions, null counts as
// missing, unknown keys ignored at every level, rows decoded to any depth. The first failure ends the
// decoding; no partial state is produced. Pure; safe on any thread.
#pragma once

#include "protocol/TrayState.h"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string_view>

namespace corvane {

std::optional<TrayState> decodeTrayState(std::string_view text);
// The same rules on a value already parsed.
std::optional<TrayState> trayStateFromJson(const nlohmann::json& value);
// The same, from a value that is no longer needed: its strings are moved into the state, not copied.
std::optional<TrayState> trayStateFromJson(nlohmann::json&& value);

} // namespace corvane
