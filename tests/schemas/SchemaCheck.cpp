#include "SchemaCheck.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace corvane::test {

std::string schemaFaults(const std::vector<std::string>& lines)
{
    std::array<char, 32> path{"/tmp/corvane-schema-XXXXXX"};
    const int descriptor = mkstemp(path.data());
    if (descriptor < 0) {
        return "cannot create a file for the lines";
    }
    close(descriptor);
    {
        std::ofstream file(path.data(), std::ios::binary);
        for (const std::string& line : lines) {
            file << line << '\n';
        }
    }
    const std::string command = std::string(CORVANE_PYTHON3) + " " + CORVANE_SCHEMA_CHECK + " " + CORVANE_SOURCE_DIR +
                                " --lines <" + path.data() + " 2>&1";
    std::string output;
    if (FILE* checker = popen(command.c_str(), "r")) {
        std::array<char, 4096> chunk{};
        for (std::size_t got = 0; (got = std::fread(chunk.data(), 1, chunk.size(), checker)) > 0;) {
            output.append(chunk.data(), got);
        }
        const int status = pclose(checker);
        unlink(path.data());
        const std::string clean = "schema check: " + std::to_string(lines.size()) + " lines, 0 faults\n";
        return status == 0 && output == clean ? std::string() : output;
    }
    unlink(path.data());
    return "cannot run " + command;
}

} // namespace corvane::test
