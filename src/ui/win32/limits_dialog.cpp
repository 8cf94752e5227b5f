// Limits dialog.
#include "ui/win32/ui_win32.h"

INT_PTR CALLBACK LimitsDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
