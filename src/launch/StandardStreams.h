// Descriptors 0, 1 and 2 are open before the process opens any file of its own, so that no such file
// (the lock file above all) can become standard output and receive events, or standard error and
// receive diagnostics. Main thread, first thing in main.
#pragma once

namespace corvane {

// Opens each missing standard descriptor on /dev/null: standard input for reading (the input ends at
// once), standard error for writing (its lines go nowhere), and standard output for reading only, so
// that the first event cannot be written, exactly as when the controller has closed its end: the writer
// goes quiet and the run stops in order. Returns 0, or the errno of the open that failed.
int openMissingStandardStreams();

} // namespace corvane
