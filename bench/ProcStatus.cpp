// /proc readers for peak memory, wake-up counts and processor time.
#include "ProcStatus.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace corvane::bench {
namespace {

// The number after "<field>:" in a /proc status file, or 0.
long statusField(const std::filesystem::path& file, std::string_view field)
{
    std::ifstream status(file);
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field) && line.size() > field.size() && line[field.size()] == ':') {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return 0;
}

} // namespace

long peakResidentKiB(pid_t pid)
{
    return statusField("/proc/" + std::to_string(pid) + "/status", "VmHWM");
}

long voluntarySwitches(pid_t pid)
{
    long total = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        total += statusField(task.path() / "status", "voluntary_ctxt_switches");
    }
    return total;
}

long long cpuNanoseconds(pid_t pid)
{
    long long total = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        long long running = 0;
        if (schedstat >> running) {
            total += running;
        }
    }
    return total;
}

} // namespace corvane::bench
