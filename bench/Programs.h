// Starts the programs under measurement on one test desktop: corvane-tray in a mode, and the bare Qt
// baselines of bench/baseline. Every program gets the same environment (the desktop's display, bus and
// directories); standard error goes to /dev/null so that a chatty program cannot block on it.
// One owner thread.
#pragma once

#include "Process.h"
#include "TestDesktop.h"

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::bench {

class Programs final {
public:
    explicit Programs(const test::TestDesktop& desktop);

    test::Process ours(const std::vector<std::string>& arguments) const;
    test::Process bareTray() const;
    test::Process bareForm() const;
    test::Process bareFolder() const;

    std::string display() const;

private:
    test::Process start(std::vector<std::string> argv) const;

    test::Environment m_environment;
    std::filesystem::path m_folder;
};

} // namespace corvane::bench
