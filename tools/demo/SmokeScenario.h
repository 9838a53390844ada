// The unattended scenario: self-test, the tray from busy to ready, pause and resume, a refused pick of
// a disabled row, a submenu row, the Access Key form with a wrong and then the right key, closing it,
// the folder chooser, and quit. Pure.
#pragma once

#include "SmokeStep.h"

#include <vector>

namespace corvane::demo {

// Snapshot steps ("tray", "form") are included only when `snapshots` is set.
std::vector<SmokeStep> smokeScenario(bool snapshots);

} // namespace corvane::demo
