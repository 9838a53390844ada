// Transcript parsing for tests. Pure.
#include "DemoTranscript.h"

#include <nlohmann/json.hpp>

#include <regex>
#include <stdexcept>

namespace corvane::test {

std::optional<TranscriptLine> parseTranscriptLine(std::string_view line)
{
    static const std::regex shape(R"(^([a-z]+) +([<>!=#]) (.*)$)");
    std::match_results<std::string_view::const_iterator> match;
    // Names are at most six characters, so the kind always stands in column eight.
    if (!std::regex_match(line.begin(), line.end(), match, shape) || match.position(2) != 7) {
        return std::nullopt;
    }
    return TranscriptLine{match.str(1), match.str(2).front(), match.str(3)};
}

std::vector<TranscriptLine> parseTranscript(std::string_view output)
{
    std::vector<TranscriptLine> lines;
    while (!output.empty()) {
        const std::size_t end = output.find('\n');
        const std::string_view line = output.substr(0, end);
        const std::optional<TranscriptLine> parsed = parseTranscriptLine(line);
        if (!parsed) {
            throw std::invalid_argument("not a transcript line: " + std::string(line));
        }
        lines.push_back(*parsed);
        output.remove_prefix(end == std::string_view::npos ? output.size() : end + 1);
    }
    return lines;
}

std::vector<std::string> eventsOf(const std::vector<TranscriptLine>& transcript, std::string_view who)
{
    std::vector<std::string> events;
    for (const TranscriptLine& line : transcript) {
        if (line.who != who) {
            continue;
        }
        if (line.kind == '>') {
            const nlohmann::json event = nlohmann::json::parse(line.text, nullptr, false);
            events.push_back(event.is_object() ? event.value("event", "<no event>") : "<not json>");
        } else if (line.kind == '=') {
            events.push_back(line.text);
        }
    }
    return events;
}

std::vector<int> startedPids(const std::vector<TranscriptLine>& transcript)
{
    static const std::regex started(R"(^[a-z]+: started .* \(pid ([0-9]+)\)$)");
    std::vector<int> pids;
    for (const TranscriptLine& line : transcript) {
        std::smatch match;
        if (line.kind == '#' && std::regex_match(line.text, match, started)) {
            pids.push_back(std::stoi(match.str(1)));
        }
    }
    return pids;
}

} // namespace corvane::test
