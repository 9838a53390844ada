// The JSON parsing test corpus (y_ files must be accepted, n_ files refused, i_ files are left to the
// parser), read from CORVANE_CONFORMANCE_DIR (tests/data/json-parsing), and the tray state used to carry a corpus text
// as the value of a member the decoder does not know.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace corvane::test {

struct CorpusText {
    std::string name;
    std::string bytes;
};

// The corpus folder; tests fail when it is missing.
std::filesystem::path jsonCorpusFolder();

// The corpus files whose names start with `prefix`, sorted by name, with their bytes.
std::vector<CorpusText> jsonCorpusFiles(const std::string& prefix);

// A valid tray state (status "ready") that carries `value` under a key the decoder does not know.
std::string stateCarrying(const std::string& value);

} // namespace corvane::test
