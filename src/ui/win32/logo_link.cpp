// The logo, drawn over the dialog's own background through its mask, and the
// link below it, which the main window drives with the pointer and clicks.
#include "ui/win32/logo_link.h"

#include <shellapi.h>

#include "app_state.h"
#include "../res/resource.h"
#include "ui/link_state.h"
#include "ui/win32/subclass.h"
#include "ui/win32/window_handles.h"

static const int kLogoWidth = 247;
static const int kLogoHeight = 41;

static HDC CreateBitmapDc(HDC like, HBITMAP bitmap, HGDIOBJ* previous)
{
    HDC dc = CreateCompatibleDC(like);
    SetMapMode(dc, GetMapMode(like));
    *previous = SelectObject(dc, bitmap);
    return dc;
}

static LRESULT PaintLogo(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    InvalidateRect(window, &client, FALSE);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc)
        return 0;

    HINSTANCE instance = Instance();
    HBITMAP image = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_LOGO));
    HBITMAP mask = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_LOGO_MASK));
    HGDIOBJ oldImage, oldMask;
    HDC imageDc = CreateBitmapDc(dc, image, &oldImage);
    HDC maskDc = CreateBitmapDc(dc, mask, &oldMask);

    POINT size = {kLogoWidth, kLogoHeight};
    POINT origin = {0, 0};
    DPtoLP(dc, &size, 1);
    DPtoLP(dc, &origin, 1);
    // The mask whitens the logo's area and leaves the background; the image's
    // white then keeps the background and its colours land on the white.
    BitBlt(dc, 0, 0, size.x, size.y, maskDc, origin.x, origin.y, SRCPAINT);
    BitBlt(dc, 0, 0, size.x, size.y, imageDc, origin.x, origin.y, SRCAND);

    SelectObject(imageDc, oldImage);
    SelectObject(maskDc, oldMask);
    DeleteDC(imageDc);
    DeleteDC(maskDc);
    DeleteObject(image);
    DeleteObject(mask);
    EndPaint(window, &paint);
    return 1;
}

LRESULT CALLBACK LogoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
        return PaintLogo(window);
    return CallOriginalProc(window, message, wParam, lParam);
}

void OnLinkMouseMove(LPARAM lParam)
{
    int32_t x, y;
    UnpackMousePoint(static_cast<uint32_t>(lParam), &x, &y);
    HWND link = GetDlgItem(MainWindow(), IDC_LINK);
    RECT r;
    GetClientRect(link, &r);
    MapWindowPoints(link, MainWindow(), reinterpret_cast<POINT*>(&r), 2);
    if (LinkPointerMoved(PointInLink(x, y, r.left, r.top, r.right, r.bottom)))
        InvalidateRect(link, NULL, TRUE);
}

void OnLinkSetCursor()
{
    const uint32_t cursor = LinkCursorToSet();
    if (cursor == kLinkCursorArrow)
        SetCursor(static_cast<HCURSOR>(gApp.ui.arrowCursor));
    else if (cursor == kLinkCursorHand)
        SetCursor(static_cast<HCURSOR>(gApp.ui.handCursor));
}

INT_PTR OnLinkCtlColor(HDC dc)
{
    SetTextColor(dc, LinkColour(gApp.ui.linkState));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

void OnLinkClick()
{
    if (!LinkUnderPointer())
        return;
    // A failure to open the address is not reported; the link turns clicked anyway.
    ShellExecuteA(MainWindow(), NULL, VELKOR_WEB_URL, NULL, NULL, SW_SHOWDEFAULT);
    MarkLinkClicked();
}
