#include "editor/platform/LockKeys.h"

#include <QGuiApplication>

#if QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace qm4edit {

#if QT_CONFIG(xcb)

namespace {

bool Indicator(Display* display, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return false;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return false;
    return on != False;
}

} // namespace

LockKeyState QueryLockKeys()
{
    LockKeyState s;
    // Other platforms (offscreen, Wayland) cannot be asked: the indicators stay off.
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return s;
    s.caps = Indicator(display, "Caps Lock");
    s.num = Indicator(display, "Num Lock");
    s.scroll = Indicator(display, "Scroll Lock");
    return s;
}

#else

LockKeyState QueryLockKeys()
{
    return {};
}

#endif

} // namespace qm4edit
