// Sees what the controller sees, after the controller has reacted: every line a child wrote (parsed;
// a line that is not JSON arrives as a discarded value) and every child's end. Main thread.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace corvane::demo {

class ControllerObserver {
public:
    virtual ~ControllerObserver() = default;

    virtual void onEvent(const std::string& child, const nlohmann::json& event) = 0;
    virtual void onExit(const std::string& child, int status) = 0;
};

} // namespace corvane::demo
