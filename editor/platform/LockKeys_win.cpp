#include "editor/platform/LockKeys.h"

#include <windows.h>

namespace qm4edit {

LockKeyState QueryLockKeys()
{
    LockKeyState s;
    s.caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
    s.num = (GetKeyState(VK_NUMLOCK) & 1) != 0;
    s.scroll = (GetKeyState(VK_SCROLL) & 1) != 0;
    return s;
}

} // namespace qm4edit
