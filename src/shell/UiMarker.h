// The UI-visible marker: the first time the tray item or the form window is confirmed visible, a small
// file at $CORVANE_UI_READY_MARKER tells the controller so. Its content is the time in seconds since
// the epoch (shortest round-trip decimal, always with a fraction) and a line feed.
//
// Written at most once: an existing file, or anything else at the path, is left alone. The file comes
// into existence whole, with mode 0600, through a temporary file in the same directory, and never
// replaces anything that appeared meanwhile. Any failure is one line on standard error, and the process
// goes on. Main thread only.
#pragma once

#include <string>

namespace corvane {

void markUIVisible();

// The marker's content for a time in seconds since the epoch.
std::string markerContent(double secondsSinceEpoch);

} // namespace corvane
