// A program's notification-area icon as seen from outside: the shell lists
// no icons, but a change to one succeeds only while the shell holds it.
#pragma once

#include <windows.h>
#include <shellapi.h>

inline bool NotifyShellIcon(DWORD operation, HWND window, UINT id) {
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = id;
    return Shell_NotifyIconA(operation, &icon);
}
