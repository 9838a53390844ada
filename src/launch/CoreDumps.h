// A form-mode run holds the Access Key in memory that Qt owns (the key field's text) and cannot wipe, so
// such a run never writes a core dump: no core file size, and on Linux not dumpable at all (which also
// keeps other processes of the same user from reading its memory through ptrace or /proc).
#pragma once

namespace corvane {

// Returns false if either setting could not be made; the run goes on regardless.
bool disableCoreDumps();

} // namespace corvane
