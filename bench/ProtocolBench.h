// The protocol layer's own share of a line, in-process and without Qt: TrayDispatcher (parse, decode,
// validate, event) against a bare nlohmann/json parse of the same line. Shows how much of a line's
// cost is ours before any user-interface work. Rounds alternate the two. One owner thread.
#pragma once

#include "ResultTable.h"

namespace corvane::bench {

class ProtocolBench final {
public:
    explicit ProtocolBench(int rounds) : m_rounds(rounds) {}

    void run(ResultTable& table) const;

private:
    int m_rounds = 0;
};

} // namespace corvane::bench
