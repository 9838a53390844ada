// The user's temporary directory: $TMPDIR; else $XDG_RUNTIME_DIR (the user's own, mode 0700); else the
// shared /tmp. An empty variable counts as unset.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

std::string temporaryDirectory();

// `directory` and `name` joined by exactly one "/".
std::string joinPath(std::string_view directory, std::string_view name);

} // namespace corvane
