// Reading corvane-demo's transcript in tests: each line split into who, kind and text, and the pieces
// tests look for. Pure.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

struct TranscriptLine {
    std::string who;
    char kind = 0;
    std::string text;

    bool operator==(const TranscriptLine&) const = default;
};

// "<who> <kind> <text>" with <who> padded to six columns; nothing for any other shape.
std::optional<TranscriptLine> parseTranscriptLine(std::string_view line);

// Every line of `output`; throws std::invalid_argument naming a line of another shape.
std::vector<TranscriptLine> parseTranscript(std::string_view output);

// For `who`: each event name it wrote ('>' lines) and its end ("exit 0", from '=' lines), in order.
std::vector<std::string> eventsOf(const std::vector<TranscriptLine>& transcript, std::string_view who);

// The PIDs named in the demo's "<child>: started ... (pid N)" notes.
std::vector<int> startedPids(const std::vector<TranscriptLine>& transcript);

} // namespace corvane::test
