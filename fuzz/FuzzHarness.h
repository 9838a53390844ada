// The fuzz harnesses of the protocol library: each runs one input through a piece of the protocol and
// answers the first broken invariant (empty when all hold). libFuzzer targets abort on a non-empty answer;
// fuzz_regression_test replays stored inputs through the same functions with the normal compiler.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace corvane::fuzz {

using Harness = std::string (*)(std::string_view input);

struct Target {
    std::string_view name;
    Harness run;
};

// Every harness, by the name its corpus and regression folders carry.
std::span<const Target> targets();
// The harness named `name`, or null.
Harness harness(std::string_view name);

// LineFramer fed in chunks the input chooses (see the .cpp for the chunk language).
std::string runLineFramer(std::string_view input);
// decodeTrayLine and firstBrokenRule on the input as one line; accepted states are checked against the
// limits and handed to firstCharacters and menuLayout.
std::string runTrayState(std::string_view input);
// FormDispatcher over the input's lines with an in-memory form; the first byte picks a smoke run (odd).
std::string runFormDispatcher(std::string_view input);
// TrayDispatcher over the input's lines with an in-memory tray; the first byte picks a smoke run (odd).
std::string runTrayDispatcher(std::string_view input);

// Why `line` is not a valid event line, or empty: one JSON object with sorted keys, a string "event",
// only string, boolean or null values, and exactly one line feed, at the end.
std::string checkEventLine(std::string_view line);

} // namespace corvane::fuzz
