// Keeps Qt's own warnings and debug output off standard error, which carries only this process's
// fixed diagnostic lines. CORVANE_QT_MESSAGES=1 lets them through for debugging.
#pragma once

namespace corvane {

void installQtMessageFilter();

} // namespace corvane
