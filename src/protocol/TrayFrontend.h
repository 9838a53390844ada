// What the tray dispatcher needs from the user interface. The Qt status item implements it; transcript
// tests implement it in memory. Main thread only.
#pragma once

#include "protocol/TrayState.h"

#include <string_view>

namespace corvane {

class TrayFrontend {
public:
    virtual ~TrayFrontend() = default;
    // Shows a state that passed the validity rules.
    virtual void apply(const TrayState& state) = 0;
    // Picks the row shown for entry `id` as if the user had picked it, when such a row exists and is
    // enabled; answers whether it did.
    virtual bool exerciseMenu(std::string_view id) = 0;
};

} // namespace corvane
