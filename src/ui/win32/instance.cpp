// The single-instance rule: a running instance is found by its main window's
// title and asked to show itself as if its tray icon had been double-clicked.
#include <windows.h>

#include "ui/main_window_rules.h"
#include "ui/win32/main_window.h"
#include "ui/win32/ui_win32.h"

namespace {

// Whether the last search found an instance (the search runs once a process).
BOOL gInstanceFound = FALSE;

const LPARAM kLeftDoubleClick = 0x203;

BOOL CALLBACK CheckWindow(HWND window, LPARAM)
{
    char title[kInstanceTitleBytes];
    title[0] = '\0';
    GetWindowTextA(window, title, sizeof(title));
    if (!IsInstanceTitle(title))
        return TRUE;
    // Synchronous: the other instance has reloaded its settings and shown its
    // window before this one goes away.
    SendMessageA(window, kTrayCallbackMessage, kTrayIconId, kLeftDoubleClick);
    gInstanceFound = TRUE;
    return FALSE;
}

}  // namespace

int FindRunningInstance()
{
    gInstanceFound = FALSE;
    EnumWindows(CheckWindow, 0);
    return gInstanceFound ? 1 : 0;
}
