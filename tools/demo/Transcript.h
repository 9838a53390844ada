// The demo's transcript on standard output, one line per thing that happened, flushed at once:
//   "<who> > <line>"  a line the child wrote (an event)
//   "<who> < <line>"  a line written to the child
//   "<who> ! <line>"  a line the child wrote to standard error
//   "<who> = <text>"  the child ended ("exit 0", "signal 9")
//   "demo  # <text>"  the demo's own notes
// <who> is padded to six columns. Main thread only.
#pragma once

#include <ostream>
#include <string_view>

namespace corvane::demo {

class Transcript final {
public:
    explicit Transcript(std::ostream& out) : m_out(out) {}

    void line(std::string_view who, char kind, std::string_view text);
    void note(std::string_view text) { line("demo", '#', text); }

private:
    std::ostream& m_out;
};

} // namespace corvane::demo
