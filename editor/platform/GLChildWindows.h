#pragma once
// Whether OpenGL drawn into a child window (the perspective pane is one, inside the main
// window) reaches the screen. A context can be made and drawn into either way; only the
// system that shows it knows. One implementation file per platform.

namespace qm4edit {

// False where the system draws such a window's pixels off the screen and never shows them.
bool GLChildWindowsShown();

} // namespace qm4edit
