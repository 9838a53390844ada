// The layout of a tray menu: one key per entry ("id:separator:childCount"), with ids in canonical form so
// that layouts compare under canonical equivalence. The menu is rebuilt only when the layout changes.
// Pure; safe on any thread.
#pragma once

#include "protocol/TrayState.h"

#include <string>
#include <vector>

namespace corvane {

std::string layoutKey(const MenuEntry& entry);
std::vector<std::string> menuLayout(const TrayState& state);

// Whether menuLayout(state) == layout, found without building the keys (no allocation while the ids are
// in canonical form).
bool hasLayout(const TrayState& state, const std::vector<std::string>& layout);

} // namespace corvane
