// Transcript formatting. Main thread only.
#include "Transcript.h"

namespace corvane::demo {

void Transcript::line(std::string_view who, char kind, std::string_view text)
{
    constexpr std::size_t column = 6;
    m_out << who;
    for (std::size_t pad = who.size(); pad < column; ++pad) {
        m_out << ' ';
    }
    m_out << ' ' << kind << ' ' << text << '\n' << std::flush;
}

} // namespace corvane::demo
