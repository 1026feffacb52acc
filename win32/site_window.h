#pragma once
// The control's window: a child window that shows the persistent surface. It paints by
// copying the surface (WM_PAINT, WM_PRINTCLIENT) and never erases first, so a tick that
// invalidates part of it shows without flicker. Created parked under the message-only parent;
// the site moves it into the container's window on in-place activation.
#include <windows.h>

namespace kavrin::win32 {

class ControlSite;

// A new hidden window for the site, or null when none can be made.
HWND CreateSiteWindow(ControlSite& site, int width, int height);
// Unregisters the window class when the module is unloaded, so that a later load of the
// module at another address registers its own window procedure.
void UnregisterSiteWindowClass();

}  // namespace kavrin::win32
