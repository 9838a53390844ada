// What the demo's controller knows about Corvane (connection status, project folder, whether an Access
// Key is set) and the tray state line that shows it: a status row, separators, pause/resume, the Access
// Key and folder rows, a submenu with a disabled row, and quit. Value type; main thread by use.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace corvane::demo {

class TrayModel final {
public:
    // The status words of the tray protocol this model uses.
    enum class Status { Busy, Ready, Suspended };

    Status status = Status::Busy;
    std::string projectRoot;
    bool keySet = false;

    // The tray state as a JSON object.
    nlohmann::json state() const;
    // The same as one compact line of raw UTF-8 (bytes that are not UTF-8 become U+FFFD).
    std::string line() const;

    static const char* word(Status status);
};

} // namespace corvane::demo
