// Clock slider painting.
#include "ui/win32/ui_win32.h"

LRESULT CALLBACK SliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC old = (WNDPROC)GetPropA(window, "OldWndClass");
    return old ? CallWindowProcA(old, window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}
