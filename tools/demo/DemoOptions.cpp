// Command-line parsing. Pure.
#include "DemoOptions.h"

#include <charconv>
#include <stdexcept>
#include <string_view>

namespace corvane::demo {
namespace {

std::chrono::milliseconds parseMilliseconds(std::string_view text)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value == 0) {
        throw std::invalid_argument("--timeout-ms needs a positive whole number, not \"" + std::string(text) + "\"");
    }
    return std::chrono::milliseconds(value);
}

} // namespace

DemoOptions parseDemoOptions(std::span<const char* const> arguments, std::string trayProgram)
{
    DemoOptions options;
    options.trayProgram = std::move(trayProgram);
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        const auto value = [&]() -> std::string_view {
            if (index + 1 >= arguments.size()) {
                throw std::invalid_argument(std::string(argument) + " needs a value");
            }
            return arguments[++index];
        };
        if (argument == "--unattended") {
            options.unattended = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--tray") {
            options.trayProgram = value();
        } else if (argument == "--timeout-ms") {
            options.timeout = parseMilliseconds(value());
        } else if (argument == "--snapshot-command") {
            options.snapshotCommand = value();
        } else {
            throw std::invalid_argument("unknown argument \"" + std::string(argument) + "\"");
        }
    }
    return options;
}

bool chooseUnattended(const char* display, const char* waylandDisplay)
{
    return !(display && *display) && !(waylandDisplay && *waylandDisplay);
}

} // namespace corvane::demo
