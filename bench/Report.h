// The whole report: where and when it ran, how to run it again, and the result tables. Printed to
// standard output and written as bench/RESULTS.md. Value type; one owner thread.
#pragma once

#include "MachineInfo.h"
#include "ResultTable.h"

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::bench {

class Report final {
public:
    explicit Report(MachineInfo machine) : m_machine(std::move(machine)) {}

    void add(const ResultTable& table) { m_tables.push_back(table); }
    void note(std::string text) { m_notes.push_back(std::move(text)); }

    std::string markdown() const;
    // Throws std::runtime_error when the file cannot be written.
    void write(const std::filesystem::path& path) const;

private:
    MachineInfo m_machine;
    std::vector<ResultTable> m_tables;
    std::vector<std::string> m_notes;
};

} // namespace corvane::bench
