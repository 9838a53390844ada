// Line cutting for child pipes. Owner's thread only.
#include "LineBuffer.h"

#include <utility>

namespace corvane::demo {

std::optional<std::string> LineBuffer::takeLine()
{
    const std::size_t end = m_pending.find('\n');
    if (end == std::string::npos) {
        return std::nullopt;
    }
    std::string line = m_pending.substr(0, end);
    m_pending.erase(0, end + 1);
    return line;
}

std::optional<std::string> LineBuffer::takeRest()
{
    if (m_pending.empty()) {
        return std::nullopt;
    }
    return std::exchange(m_pending, {});
}

} // namespace corvane::demo
