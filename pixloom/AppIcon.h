#pragma once
// The program's icon, drawn here so that nothing has to be shipped beside the program.

#include <QIcon>

class QPainter;

namespace pixloom {

QIcon PixloomIcon();
// Paints the icon into a size x size square at the origin (also for the installed icons).
void PaintPixloomIcon(QPainter& p, qreal size);

} // namespace pixloom
