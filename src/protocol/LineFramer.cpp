#include "protocol/LineFramer.h"

namespace corvane {

LineFramer::Result LineFramer::feed(std::string_view bytes, const Deliver& deliver)
{
    if (m_overlong) {
        return Result::Overlong;
    }
    // Only the new bytes can hold a line feed: the pending ones were searched when they arrived.
    std::size_t searchFrom = m_pending.size();
    m_pending.append(bytes);
    std::size_t lineStart = 0;
    for (;;) {
        const std::size_t lineFeed = m_pending.find('\n', searchFrom);
        if (lineFeed == std::string::npos) {
            break;
        }
        if (lineFeed - lineStart > maxLineBytes) {
            return refuse();
        }
        deliver(m_pending.substr(lineStart, lineFeed - lineStart));
        lineStart = lineFeed + 1;
        searchFrom = lineStart;
    }
    m_pending.erase(0, lineStart);
    // An incomplete line already over the cap can never become acceptable: refuse it now rather than
    // buffer more of it.
    if (m_pending.size() > maxLineBytes) {
        return refuse();
    }
    return Result::NeedMore;
}

LineFramer::Result LineFramer::refuse()
{
    m_overlong = true;
    m_pending.clear();
    m_pending.shrink_to_fit();
    return Result::Overlong;
}

} // namespace corvane
