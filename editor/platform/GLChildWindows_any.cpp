#include "editor/platform/GLChildWindows.h"

namespace qm4edit {

bool GLChildWindowsShown()
{
    return true;
}

} // namespace qm4edit
