#pragma once
// Subclassing of standard controls: the control's own window procedure is
// kept in its "OldWndClass" property, and the replacement passes every
// message it does not handle itself back through it.
#include <windows.h>

void SubclassControl(HWND control, WNDPROC procedure);
LRESULT CallOriginalProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
