// mkdtemp and recursive removal. Owner's thread only.
#include "PrivateDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace corvane::demo {

PrivateDirectory::PrivateDirectory(std::string_view prefix)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (base && *base ? std::filesystem::path(base) : std::filesystem::path("/tmp")) /
                          (std::string(prefix) + "-XXXXXX");
    if (!::mkdtemp(pattern.data())) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    }
    m_path = pattern;
}

PrivateDirectory::~PrivateDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace corvane::demo
