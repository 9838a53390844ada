#include "launch/TemporaryDirectory.h"

#include <cstdlib>

namespace corvane {

std::string temporaryDirectory()
{
    const char* directory = std::getenv("TMPDIR");
    return directory && *directory ? directory : "/tmp";
}

std::string joinPath(std::string_view directory, std::string_view name)
{
    std::string path(directory);
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

} // namespace corvane
