#pragma once
// The main window's own operations, shared by the entry, the dialog
// procedure and the tray code. What the other dialogs may call is in
// ui_win32.h.
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

// Start-up (entry.cpp): the whole run of the utility, from the full command
// line to the exit code (1 refused, 0 after a normal run).
int RunVelkor(HINSTANCE instance, const char* commandLine);

// Single instance (instance.cpp): 1 when another instance was found and told
// to show itself.
int FindRunningInstance();

// Main window (main_window.cpp)
void LoadWindowIcons();
void CentreLogo();
void RestoreMainWindow();
void CloseAllAndEnd();

// Tray icon and menus (tray.cpp)
const DWORD kTrayAdd = NIM_ADD;
const DWORD kTrayModify = NIM_MODIFY;
const DWORD kTrayDelete = NIM_DELETE;
void NotifyTray(DWORD action, HICON icon, const char* tip);
void BuildMenus();
void ShowTrayMenu();
