// The UI-visible marker: a small file at $CORVANE_UI_READY_MARKER tells the controller that the tray
// item or the form window is confirmed visible. Its content is the time in seconds since the epoch
// (shortest round-trip decimal, always with a fraction) and a line feed.
//
// Each call writes it unless something stands at the path (the variable is read at every call): an
// existing file, or anything else there, is left alone, and a marker removed meanwhile is written again.
// The file comes into existence whole, with mode 0600, through a temporary file in the same directory,
// and never replaces anything that appeared meanwhile. Every failed call is one line on standard error,
// and the process goes on. Main thread only.
#pragma once

#include <string>

namespace corvane {

void markUIVisible();

// The marker's content for a time in seconds since the epoch.
std::string markerContent(double secondsSinceEpoch);

} // namespace corvane
