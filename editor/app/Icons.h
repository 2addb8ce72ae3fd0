#pragma once
// The program icon and the toolbar images, drawn by us at run time.

#include <QIcon>

class QPainter;

namespace qm4edit {

QIcon ProgramIcon();
// Paints the program icon into a size x size square at the origin (also for the installed icons).
void PaintProgramIcon(QPainter& p, qreal size);
// The image of a toolbar command; a standard theme icon when the desktop offers one.
QIcon ToolbarIcon(int commandId);

} // namespace qm4edit
