// How long the process waits for the desktop to confirm that something it shows is really on screen
// (a tray host to come up, the tray to embed the item, a window to be exposed): CORVANE_UI_WAIT_MS,
// 5000 ms when unset or not a number.
#pragma once

#include <chrono>

namespace corvane {

std::chrono::milliseconds visibilityWaitBound();

} // namespace corvane
