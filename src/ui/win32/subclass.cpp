#include "ui/win32/subclass.h"

static const char kOldWndClassProperty[] = "OldWndClass";

void SubclassControl(HWND control, WNDPROC procedure)
{
    SetPropA(control, kOldWndClassProperty, reinterpret_cast<HANDLE>(GetWindowLongA(control, GWL_WNDPROC)));
    SetWindowLongA(control, GWL_WNDPROC, reinterpret_cast<LONG>(procedure));
}

LRESULT CallOriginalProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(control, kOldWndClassProperty));
    // A control that lost its property still gets default handling rather than a call through null.
    if (!previous)
        return DefWindowProcA(control, message, wParam, lParam);
    return CallWindowProcA(previous, control, message, wParam, lParam);
}
