#pragma once
// The program icon and the toolbar images, drawn by us at run time.

#include <QIcon>

namespace qm4edit {

QIcon ProgramIcon();
// The image of a toolbar command; a standard theme icon when the desktop offers one.
QIcon ToolbarIcon(int commandId);

} // namespace qm4edit
