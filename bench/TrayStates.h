// The tray-state lines the streams send: updates of one layout (Chinese and ASCII texts, the first
// row's text and the tooltip changing with a serial number), a new layout on every line, lines padded to
// an exact length through the tooltip, and lines that must be refused. Pure; any thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace corvane::bench {

struct StreamShape {
    // Entries, children included: up to 16 top-level rows, and past that two of them are submenu parents
    // sharing the rest as children (32 = 16 rows + 2 x 8 children).
    std::size_t rows = 5;
    // When non-zero, the exact length of every line (line feed not counted), reached by padding the
    // tooltip with Chinese and ASCII text.
    std::size_t lineBytes = 0;
    // Every line has other ids than the one before it, so the menu is rebuilt each time.
    bool newLayoutEachLine = false;
    // Every line has the status word "Ready", which is not one, so every line is refused.
    bool badStatus = false;
};

std::string stateLine(const StreamShape& shape, long serial);
// How the tooltip of the state with `serial` begins (a padded line's tooltip goes on after it).
std::string tooltipOf(long serial);
std::vector<std::string> stateLines(const StreamShape& shape, long firstSerial, std::size_t count);

// Short lines refused for what they are: not JSON, not an object, another mode's message, no rows.
std::vector<std::string> refusedLines(std::size_t count);

} // namespace corvane::bench
