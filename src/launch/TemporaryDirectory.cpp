#include "launch/TemporaryDirectory.h"

#include <cstdlib>
#include <initializer_list>

namespace corvane {

std::string temporaryDirectory()
{
    for (const char* name : {"TMPDIR", "XDG_RUNTIME_DIR"}) {
        const char* directory = std::getenv(name);
        if (directory && *directory) {
            return directory;
        }
    }
    return "/tmp";
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
