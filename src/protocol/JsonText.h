// Strict RFC 8259 parsing of one inbound line. Invalid UTF-8, lone surrogate escapes, raw control
// characters in strings, comments, trailing commas and every other deviation make the parse fail.
// The failure is a value, never an exception. Pure; safe on any thread.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>

namespace corvane {

std::optional<nlohmann::json> parseJson(std::string_view text);

// The member `key` when it is a string; null otherwise.
const std::string* findString(const nlohmann::json& object, std::string_view key);

} // namespace corvane
