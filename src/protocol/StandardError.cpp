#include "protocol/StandardError.h"

#include "protocol/WriteAll.h"

#include <unistd.h>

namespace corvane {

void writeStandardError(std::string_view line)
{
    static_cast<void>(writeAll(STDERR_FILENO, line));
}

} // namespace corvane
