// A fresh local instance identity for one controller session: 64 lowercase hexadecimal digits from the
// kernel's random source. Any thread.
#pragma once

#include <string>

namespace corvane::demo {

// Throws std::system_error when the random source fails.
std::string newInstanceIdentity();

} // namespace corvane::demo
