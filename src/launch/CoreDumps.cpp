#include "launch/CoreDumps.h"

#include <sys/resource.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace corvane {

bool disableCoreDumps()
{
    const rlimit none{0, 0};
    bool disabled = ::setrlimit(RLIMIT_CORE, &none) == 0;
#if defined(__linux__)
    // A core_pattern that pipes to a handler ignores the size limit; a process that is not dumpable is
    // never dumped.
    disabled = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0 && disabled;
#endif
    return disabled;
}

} // namespace corvane
