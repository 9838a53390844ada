// Figures the kernel keeps for a running child process, read from /proc: its peak resident set and
// how often its threads went to sleep, and how long they ran. Pure reads; any thread.
#pragma once

#include <sys/types.h>

namespace corvane::bench {

// VmHWM of /proc/<pid>/status in KiB; 0 when it cannot be read.
long peakResidentKiB(pid_t pid);

// voluntary_ctxt_switches summed over every thread of the process: each is one sleep, so the
// difference over a span of idleness counts the wake-ups in it.
long voluntarySwitches(pid_t pid);

// Nanoseconds the process's threads have run on a processor (schedstat), summed over every thread:
// what the process itself cost, however busy the machine was.
long long cpuNanoseconds(pid_t pid);

} // namespace corvane::bench
