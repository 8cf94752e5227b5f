// Logo painting and the link.
#include "ui/win32/ui_win32.h"

LRESULT CALLBACK LogoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC old = (WNDPROC)GetPropA(window, "OldWndClass");
    return old ? CallWindowProcA(old, window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}
void OnLinkMouseMove(LPARAM) {}
void OnLinkSetCursor() {}
INT_PTR OnLinkCtlColor(HDC) { return (INT_PTR)GetStockObject(NULL_BRUSH); }
void OnLinkClick() {}
