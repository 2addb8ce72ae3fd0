#pragma once
// The program's icon, drawn here so that nothing has to be shipped beside the program.

#include <QIcon>

namespace pixloom {

QIcon PixloomIcon();

} // namespace pixloom
