// Starting the real corvane-tray binary in end-to-end tests: identities, environments and lock paths.
#pragma once

#include "Environment.h"
#include "Process.h"
#include "TestDesktop.h"

#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {

using namespace std::chrono_literals;

// Long enough for a loaded machine; a passing test never waits this long.
constexpr std::chrono::milliseconds patience = 20s;

// The path of a scratch directory (QTemporaryDir: private, and removed with everything in it).
inline std::filesystem::path pathOf(const QTemporaryDir& directory)
{
    return directory.path().toStdString();
}

// A valid identity made of one repeated digit.
std::string identityOf(char digit);

// The environment for a run without a display: the offscreen platform, the identity and a private
// temporary directory.
Environment offscreenEnvironment(const std::string& identity, const std::filesystem::path& temporaryDirectory);

std::filesystem::path lockPath(const std::filesystem::path& temporaryDirectory, const std::string& identity,
                               bool formLock);

// Starts corvane-tray with `arguments` after the program path.
Process startTray(const std::vector<std::string>& arguments, Process::Options options);

// The next line on standard output, or "<nothing>" when none comes in time.
std::string nextLine(Process& process, std::chrono::milliseconds timeout = patience);

// The environment for a tray run in `desktop` with identity `identity` and no marker.
Environment desktopTrayEnvironment(const TestDesktop& desktop, const std::string& identity);

// A smoke run of the tray (in a desktop with a tray host, through `options`), started in `slot` and read
// up to "tray-visible".
Process& startVisibleTray(std::optional<Process>& slot, Process::Options options);

} // namespace corvane::test
