// The few fixed lines this process writes to standard error (launch failures, the read and marker
// failures, the loss of the display): written straight to descriptor 2, unbuffered and without Qt's
// logging, whose format an environment variable can change. Safe on any thread.
#pragma once

#include <string_view>

namespace corvane {

// A failed write is ignored: there is nowhere else to report it.
void writeStandardError(std::string_view line);

} // namespace corvane
