// Machine facts from sysconf, /proc/cpuinfo and uname.
#include "MachineInfo.h"

#include <array>
#include <ctime>
#include <fstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace corvane::bench {

MachineInfo MachineInfo::current()
{
    MachineInfo info;
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::array<char, 32> date{};
    std::strftime(date.data(), date.size(), "%Y-%m-%d %H:%M UTC", &utc);
    info.date = date.data();
    info.processors = static_cast<unsigned>(::sysconf(_SC_NPROCESSORS_ONLN));
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.starts_with("model name")) {
            const std::size_t colon = line.find(':');
            info.cpuModel = colon == std::string::npos ? line : line.substr(colon + 2);
            break;
        }
    }
    utsname names{};
    if (::uname(&names) == 0) {
        info.kernel = std::string(names.sysname) + ' ' + names.release + ' ' + names.machine;
    }
    return info;
}

} // namespace corvane::bench
