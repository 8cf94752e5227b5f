#pragma once
// The logo and the link below it (logo_link.cpp), driven by the main window.
#include <windows.h>

LRESULT CALLBACK LogoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnLinkMouseMove(LPARAM lParam);
void OnLinkSetCursor();
INT_PTR OnLinkCtlColor(HDC dc);  // the brush the dialog procedure returns
void OnLinkClick();
