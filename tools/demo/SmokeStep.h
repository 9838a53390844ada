// One step of the unattended scenario: what the user does (a smoke line to a child, a snapshot of the
// screen, or nothing) and the events that must follow, in order per child. Plain value.
#pragma once

#include "Expectation.h"

#include <string>
#include <variant>
#include <vector>

namespace corvane::demo {

struct SmokeStep {
    struct Send {
        std::string child;
        std::string line;
    };
    struct Snapshot {
        std::string name;
    };

    std::string title;
    std::variant<std::monostate, Send, Snapshot> action;
    std::vector<Expectation> expected;
};

} // namespace corvane::demo
