#pragma once
// The state of the Caps Lock, Num Lock and Scroll Lock keys, for the status-bar indicators.
// One implementation file per platform; where the platform cannot tell, every key reads off.

namespace qm4edit {

struct LockKeyState {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

LockKeyState QueryLockKeys();

} // namespace qm4edit
