// The wire form of one outbound event: a flat JSON object whose values are strings, booleans or null,
// written with sorted keys, compact, "/" escaped as "\/", raw UTF-8, and one line feed.
// Pure functions; safe on any thread.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <variant>

namespace corvane {

using EventValue = std::variant<std::nullptr_t, bool, std::string>;

// Ordered by key, so encoding walks it in the wire order without sorting.
using EventPayload = std::map<std::string, EventValue, std::less<>>;

// The whole line for one event, line feed included. The key "event" always carries `name`, even when
// the payload has its own "event". Ill-formed UTF-8 in a string (a file name can hold any bytes) is
// written as U+FFFD, so every line stays valid JSON.
std::string encodeEventLine(std::string_view name, const EventPayload& payload = {});

// Appends `text` as a JSON string literal in the event dialect.
void appendJsonString(std::string& out, std::string_view text);

} // namespace corvane
