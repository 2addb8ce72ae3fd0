#include "editor/platform/LockKeys.h"

namespace qm4edit {

LockKeyState QueryLockKeys()
{
    return {};
}

} // namespace qm4edit
