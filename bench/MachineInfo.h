// What the report says about where it ran: the date, the number of processors, the CPU model and the
// kernel. Read once; any thread.
#pragma once

#include <string>

namespace corvane::bench {

struct MachineInfo {
    std::string date;
    unsigned processors = 0;
    std::string cpuModel;
    std::string kernel;

    static MachineInfo current();
};

} // namespace corvane::bench
