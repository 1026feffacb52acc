#pragma once
// The DLL's own state: its instance handle, and the count of live objects and server locks
// that decides whether COM may unload it (DllCanUnloadNow).
#include <windows.h>

HINSTANCE ModuleInstance();
// Every live object (and every LockServer(TRUE)) holds one lock until it is gone.
void ModuleLock();
void ModuleUnlock();
bool ModuleCanUnload();
