// The demo's command line:
//   corvane-demo [--unattended] [--tray PATH] [--timeout-ms N] [--snapshot-command PROGRAM] [--help]
// Pure.
#pragma once

#include <chrono>
#include <span>
#include <string>

namespace corvane::demo {

struct DemoOptions {
    std::string trayProgram;
    // Set by --unattended; also chosen when there is no display (see chooseUnattended).
    bool unattended = false;
    std::chrono::milliseconds timeout{20000};
    std::string snapshotCommand;
    bool help = false;
};

inline constexpr const char* demoUsage =
    "usage: corvane-demo [--unattended] [--tray PATH] [--timeout-ms N] [--snapshot-command PROGRAM]\n"
    "  --unattended        smoke runs driven through the whole scenario; ends by itself (the default\n"
    "                      when neither DISPLAY nor WAYLAND_DISPLAY is set)\n"
    "  --tray PATH         the corvane-tray to run\n"
    "  --timeout-ms N      how long an unattended run waits for each expected event (default 20000)\n"
    "  --snapshot-command  run as \"PROGRAM tray\" and \"PROGRAM form\" at those moments of an unattended run\n";

// `arguments` without the program name; `trayProgram` is the default for --tray. Throws
// std::invalid_argument naming the argument it cannot use.
DemoOptions parseDemoOptions(std::span<const char* const> arguments, std::string trayProgram);

// Whether a run without --unattended should be unattended all the same: no display to show things on.
bool chooseUnattended(const char* display, const char* waylandDisplay);

} // namespace corvane::demo
