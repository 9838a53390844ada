// Writes every byte to a descriptor: a pipe or a file may take part of a write, and a signal may
// interrupt it. Safe on any thread.
#pragma once

#include <string_view>

namespace corvane {

// Answers false when a write fails or writes nothing; some bytes may then have been written.
bool writeAll(int descriptor, std::string_view bytes);

} // namespace corvane
