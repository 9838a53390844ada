// Cuts a byte stream into lines. Only the line feed (0x0A) is special: a carriage return before it stays
// in the line, and no byte is decoded or checked here. A line may hold at most maxLineBytes bytes
// (line feed not counted); a longer line, complete or still waiting for its line feed, ends framing for
// good. One instance per stream; not thread-safe.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace corvane {

constexpr std::size_t maxLineBytes = 65536;

class LineFramer final {
public:
    enum class Result { NeedMore, Overlong };
    using Deliver = std::function<void(std::string&& line)>;

    // Appends `bytes` and delivers every line they complete, in order. On Overlong, lines completed
    // before the over-long one have been delivered and the rest is dropped.
    Result feed(std::string_view bytes, const Deliver& deliver);

    // Bytes held for a line whose line feed has not arrived yet.
    std::size_t pendingBytes() const { return m_pending.size(); }

private:
    Result refuse();

    std::string m_pending;
    bool m_overlong = false;
};

} // namespace corvane
