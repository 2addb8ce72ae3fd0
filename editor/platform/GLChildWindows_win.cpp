#include "editor/platform/GLChildWindows.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace qm4edit {

bool GLChildWindowsShown()
{
    // Wine renders OpenGL of a child window into a hidden X window and copies it into the
    // top-level window, whose own surface is drawn over it again: the pane keeps the picture
    // that was there before. Wine's ntdll tells itself apart by this export.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return !(ntdll && ::GetProcAddress(ntdll, "wine_get_version"));
}

} // namespace qm4edit
