// What the form tells assistive technology (AT-SPI on Linux), beyond what Qt's own interfaces say:
// - the window is a frame named by its title, not a filler;
// - the folder label is a label named by the folder it shows and labelled by the choose button;
// - the spinner is a named progress bar that reports itself busy while it spins;
// - the status line is a status bar named by its whole message, announced on every message;
// - no event of a masked (password) field carries its text: Qt 6.4 sends every typed character in
//   "text inserted" events and the whole key in "text removed" when the field is cleared, so those go
//   out with the field's mask characters in place of the text.
// Main thread, like every accessibility call of Qt's.
#pragma once

class QWidget;

namespace corvane {

// Installs the interfaces and the event filter above, once per process.
void installFormAccessibility();

// Tells assistive technology that `widget`'s accessible name changed (and so announces a status line),
// even when the text is the same as before.
void announceNameChange(QWidget* widget);

} // namespace corvane
