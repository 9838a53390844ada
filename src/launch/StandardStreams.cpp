#include "launch/StandardStreams.h"

#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace corvane {

int openMissingStandardStreams()
{
    for (const int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(descriptor, F_GETFD) >= 0 || errno != EBADF) {
            continue;
        }
        // The lowest free descriptor is this one: every lower one is open by now.
        const int opened = ::open("/dev/null", descriptor == STDERR_FILENO ? O_WRONLY : O_RDONLY);
        if (opened < 0) {
            return errno;
        }
        if (opened != descriptor) {
            ::close(opened);
            return EBADF;
        }
    }
    return 0;
}

} // namespace corvane
