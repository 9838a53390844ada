// A fresh local instance identity for one controller session: 64 lowercase hexadecimal digits from the
// system's random source. Any thread.
#pragma once

#include <string>

namespace corvane::demo {

std::string newInstanceIdentity();

} // namespace corvane::demo
