#pragma once
// The notification-area icon and the two menus of the main window (tray.cpp).
#include <windows.h>
#include <shellapi.h>

const UINT kTrayCallbackMessage = 0x8064;
const UINT kTrayIconId = 1001;

const DWORD kTrayAdd = NIM_ADD;
const DWORD kTrayModify = NIM_MODIFY;
const DWORD kTrayDelete = NIM_DELETE;
void NotifyTray(DWORD action, HICON icon, const char* tip);
void BuildMenus();
void ShowTrayMenu();
