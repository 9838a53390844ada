// Loading schemas and corpora, and sorting lines to their schema. Any thread after first use.
#include "ProtocolSchemas.h"

#include <fstream>
#include <map>
#include <mutex>
#include <stdexcept>

namespace corvane::test {
namespace {

using nlohmann::json;

std::vector<std::string> parseFailure(std::string_view line)
{
    return {"not JSON: " + std::string(line.substr(0, 60))};
}

} // namespace

const JsonSchema& protocolSchema(std::string_view name)
{
    static std::mutex guard;
    static std::map<std::string, JsonSchema, std::less<>> loaded;
    const std::lock_guard lock(guard);
    auto found = loaded.find(name);
    if (found == loaded.end()) {
        const std::filesystem::path file =
            std::filesystem::path(CORVANE_SCHEMA_DIR) / (std::string(name) + ".schema.json");
        found = loaded.emplace(std::string(name), JsonSchema::load(file)).first;
    }
    return found->second;
}

std::vector<std::string> corpusLines(std::string_view name)
{
    const std::filesystem::path file =
        std::filesystem::path(CORVANE_SCHEMA_CORPUS_DIR) / (std::string(name) + ".jsonl");
    std::ifstream stream(file);
    if (!stream) {
        throw std::runtime_error("cannot read " + file.string());
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string> messageErrors(std::string_view line, bool formMode)
{
    const json message = json::parse(line, nullptr, false);
    if (message.is_discarded()) {
        return parseFailure(line);
    }
    if (formMode) {
        return protocolSchema("form-message").errors(message);
    }
    if (message.is_object() && message.contains("exerciseMenu")) {
        return protocolSchema("tray-state").errors(message, "/$defs/exerciseMenu");
    }
    return protocolSchema("tray-state").errors(message);
}

std::string wireForm(const json& event)
{
    const std::string compact = event.dump(-1, ' ', false, json::error_handler_t::strict);
    std::string escaped;
    // "/" can only stand inside strings in JSON text, so every one of them is escaped.
    for (const char byte : compact) {
        escaped += byte == '/' ? std::string("\\/") : std::string(1, byte);
    }
    return escaped;
}

std::vector<std::string> eventErrors(std::string_view line)
{
    const json event = json::parse(line, nullptr, false);
    if (event.is_discarded()) {
        return parseFailure(line);
    }
    std::vector<std::string> errors = protocolSchema("event").errors(event);
    if (wireForm(event) != line) {
        errors.push_back("not in the event wire form; expected " + wireForm(event));
    }
    return errors;
}

} // namespace corvane::test
