#pragma once
// The main window's own operations (main_window.cpp), for the entry and the
// dialog procedure. What the other dialogs may call is in ui_win32.h.
#include "ui/win32/window_handles.h"

void LoadWindowIcons();
void CentreLogo();
void RestoreMainWindow();
void CloseAllAndEnd();
