// Protocol lines checked against the JSON Schemas by check_schemas.py (Debian's python3-jsonschema), for
// tests outside tests/schemas that produce lines of their own (the demo's states and transcripts).
#pragma once

#include <string>
#include <vector>

namespace corvane::test {

// Empty when every line satisfies the schema its keys name; otherwise what the checker reported.
std::string schemaFaults(const std::vector<std::string>& lines);

} // namespace corvane::test
