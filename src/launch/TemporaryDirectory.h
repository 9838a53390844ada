// The user's temporary directory: $TMPDIR, or /tmp when it is unset or empty.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

std::string temporaryDirectory();

// `directory` and `name` joined by exactly one "/".
std::string joinPath(std::string_view directory, std::string_view name);

} // namespace corvane
