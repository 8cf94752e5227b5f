#pragma once
// The two handles every window of the utility needs: the main window (owner
// of the dialogs, the tray icon and the menus) and the module instance
// (resources). Both live in gApp, set by the entry and the main window.
#include <windows.h>

#include "app_state.h"

inline HWND MainWindow()
{
    return static_cast<HWND>(gApp.ui.mainWindow);
}

inline HINSTANCE Instance()
{
    return static_cast<HINSTANCE>(gApp.ui.instance);
}
