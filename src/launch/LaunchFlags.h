// The command-line flags and the mode they select. A flag is present when some element of the argument
// vector, the program path included, equals its literal exactly; everything else is ignored.
// Main thread, before any event loop.
#pragma once

#include <span>

namespace corvane {

enum class LaunchMode { SelfTest, ChooseFolder, Form, Tray };

struct LaunchFlags {
    bool selfTest = false;
    bool form = false;
    bool chooseFolder = false;
    bool smoke = false;

    static LaunchFlags parse(std::span<const char* const> arguments);

    LaunchMode mode() const;
    // Form mode and the folder chooser share the form lock; tray mode has its own.
    bool usesFormLock() const { return form || chooseFolder; }
};

} // namespace corvane
