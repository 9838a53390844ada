// Cuts a byte stream from a child's pipe into lines at line feeds. The line feed is not part of a line;
// nothing else is touched. Value type; one owner thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::demo {

class LineBuffer final {
public:
    void append(std::string_view bytes) { m_pending.append(bytes); }

    // The next complete line, or nothing while its line feed has not arrived.
    std::optional<std::string> takeLine();
    // At end of stream: the unterminated rest, or nothing when there is none.
    std::optional<std::string> takeRest();

private:
    std::string m_pending;
};

} // namespace corvane::demo
