// The layout of a tray menu: one key per entry ("id:separator:childCount"), with ids in canonical form so
// that layouts compare under canonical equivalence. The menu is rebuilt only when the layout changes.
// Pure; safe on any thread.
#pragma once

#include "TrayState.h"

#include <string>
#include <vector>

namespace corvane {

std::string layoutKey(const MenuEntry& entry);
std::vector<std::string> menuLayout(const TrayState& state);

} // namespace corvane
