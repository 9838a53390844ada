// Keeps Qt's own warnings and debug output off standard error, which carries only this process's
// fixed diagnostic lines. CORVANE_QT_MESSAGES=1 lets them through for debugging.
//
// Qt reports a broken X11 connection (the X server died or dropped us) only as a warning, then ends the
// process itself; that warning, whatever CORVANE_QT_MESSAGES says, calls `displayLost` first, which
// does not return. Any thread (Qt logs from any thread).
#pragma once

namespace corvane {

void installQtMessageFilter(void (*displayLost)());

} // namespace corvane
