// Private temporary directories for test processes. Owner's thread only.
#include "ScratchDirectory.h"

#include <cerrno>
#include <stdlib.h>
#include <string>
#include <system_error>

namespace corvane::test {

ScratchDirectory::ScratchDirectory(std::string_view prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
    }
    m_path = pattern;
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace corvane::test
