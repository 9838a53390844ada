// Overwrites memory that held a secret (the Access Key) with zeros before it is freed or reused, with
// stores the compiler may not drop as dead.
#pragma once

#include <cstddef>
#include <string>

namespace corvane {

void wipe(char* data, std::size_t size);
void wipe(std::string& bytes);

} // namespace corvane
