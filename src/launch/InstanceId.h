// The instance identity the controller passes in CORVANE_TRAY_INSTANCE_ID: exactly 64 bytes, each a
// lowercase hexadecimal digit. It becomes part of the lock file name, so nothing else may pass.
#pragma once

#include <string_view>

namespace corvane {

constexpr std::size_t instanceIdBytes = 64;

bool validInstanceID(std::string_view identity);

} // namespace corvane
