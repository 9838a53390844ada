#include "shell/VisibilityWait.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace corvane {

std::chrono::milliseconds visibilityWaitBound()
{
    constexpr std::chrono::milliseconds standard{5000};
    const char* text = std::getenv("CORVANE_UI_WAIT_MS");
    unsigned value = 0;
    if (!text) {
        return standard;
    }
    const char* end = text + std::strlen(text);
    const auto [parsed, error] = std::from_chars(text, end, value);
    return error == std::errc() && parsed == end && parsed != text ? std::chrono::milliseconds(value) : standard;
}

} // namespace corvane
