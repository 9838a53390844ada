// The stand-in for the platform's activation policy. Linux has no such policies: a usable display
// session is what lets this process show a tray item or a window. With one, the process counts as an
// accessory application (policy 1); without one, as prohibited (2), and no request can change that.
// Decided before QApplication exists, because Qt aborts the process when it finds no display.
#pragma once

#include "launch/LaunchFlags.h"

#include <optional>

namespace corvane {

enum class ActivationPolicy { Regular = 0, Accessory = 1, Prohibited = 2 };

// Tries accessory first, then, in form and folder-chooser modes only, regular. Answers the policy that
// stands after a failure, or nothing when the process may go on.
std::optional<ActivationPolicy> settleActivationPolicy(LaunchMode mode, bool sessionAvailable);

} // namespace corvane
