// The protocol's schemas (schemas/*.schema.json), the example corpora beside this file, and which schema
// a line belongs to. Loaded once; any thread after the first use.
#pragma once

#include "JsonSchema.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

// "tray-state", "form-message" or "event"; throws when the file is missing or not a usable schema.
const JsonSchema& protocolSchema(std::string_view name);

// The lines of corpus/<name>.jsonl, empty lines skipped.
std::vector<std::string> corpusLines(std::string_view name);

// Schema errors of a line a controller writes (a tray state, {"exerciseMenu":...} in tray mode, or a
// form message); a line that is not JSON is one error.
std::vector<std::string> messageErrors(std::string_view line, bool formMode);

// Schema errors of a line the process writes, plus one when the line is not in the event wire form
// (compact, keys sorted, "/" written as "\/", raw UTF-8).
std::vector<std::string> eventErrors(std::string_view line);

// The event wire form of `event`.
std::string wireForm(const nlohmann::json& event);

} // namespace corvane::test
