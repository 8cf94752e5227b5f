// The clock sliders: standard trackbars whose painting is ours. The channel
// shows the default, raised and overclocked bands; the thumb is a sunken
// diamond, dithered while the mouse button holds it.
#include "ui/win32/subclass.h"
#include "ui/win32/ui_win32.h"

#include <commctrl.h>

#include "app_state.h"
#include "ui/slider_bands.h"

static void SetPressedSlider(HWND window, uint32_t flag)
{
    gApp.ui.pressedSlider = window;
    gApp.ui.sliderPressed = flag;
}

static uint32_t IsSliderPressed(HWND window)
{
    return window == gApp.ui.pressedSlider ? gApp.ui.sliderPressed : 0;
}

static RGBQUAD Quad(COLORREF colour)
{
    RGBQUAD quad = {GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
    return quad;
}

// 8 x 8 checkerboard of the button face (0) and the button highlight (1).
static HBITMAP CreateDitherBitmap()
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info;
    ZeroMemory(&info, sizeof info);
    info.header.biSize = sizeof info.header;
    info.header.biWidth = 8;
    info.header.biHeight = 8;  // bottom-up
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 2;
    info.colours[0] = Quad(GetSysColor(COLOR_BTNFACE));
    info.colours[1] = Quad(GetSysColor(COLOR_BTNHIGHLIGHT));

    uint8_t bits[kDitherBytes];
    FillDitherPattern(bits);
    HDC screen = GetDC(NULL);
    HBITMAP bitmap = CreateDIBitmap(screen, &info.header, CBM_INIT, bits,
                                    reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ReleaseDC(NULL, screen);
    return bitmap;
}

static RECT ToRect(const PixelRect& r)
{
    RECT out = {r.left, r.top, r.right, r.bottom};
    return out;
}

static PixelRect ToPixelRect(const RECT& r)
{
    return PixelRect{r.left, r.top, r.right, r.bottom};
}

static void FillBand(HDC dc, const PixelRect& band, COLORREF colour)
{
    RECT r = ToRect(band);
    SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, NULL);
}

static void DrawFrame(HDC dc, const SliderLayout& s)
{
    RECT left = ToRect(s.frameLeft);
    DrawEdge(dc, &left, EDGE_SUNKEN, BF_LEFT | BF_TOP | BF_BOTTOM);
    RECT right = ToRect(s.frameRight);
    DrawEdge(dc, &right, EDGE_SUNKEN, BF_TOP | BF_RIGHT | BF_BOTTOM);
}

// A diamond without outline, then its four sides as sunken diagonal edges.
static void DrawThumb(HDC dc, const SliderLayout& s, HBRUSH fill)
{
    HBRUSH oldBrush = static_cast<HBRUSH>(SelectObject(dc, fill));
    SetPolyFillMode(dc, WINDING);
    POINT corners[4];
    for (int i = 0; i < 4; ++i) {
        corners[i].x = s.diamond[i].x;
        corners[i].y = s.diamond[i].y;
    }
    Polygon(dc, corners, 4);

    static const UINT kDiagonals[4] = {BF_DIAGONAL_ENDBOTTOMLEFT, BF_DIAGONAL_ENDBOTTOMRIGHT,
                                       BF_DIAGONAL_ENDTOPRIGHT, BF_DIAGONAL_ENDTOPLEFT};
    for (int i = 0; i < 4; ++i) {
        RECT quarter = ToRect(s.thumbEdges[i]);
        DrawEdge(dc, &quarter, EDGE_SUNKEN, kDiagonals[i]);
    }
    SelectObject(dc, oldBrush);
}

static LRESULT PaintSlider(HWND window)
{
    const bool pressed = IsSliderPressed(window) != 0;
    RECT client;
    GetClientRect(window, &client);
    // The whole control every time: the bands depend on the thumb's place.
    InvalidateRect(window, &client, FALSE);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc)
        return 0;

    RECT thumb, channel;
    SendMessageA(window, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    SendMessageA(window, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    const ClockDomain& domain =
        reinterpret_cast<uintptr_t>(GetPropA(window, "Slider")) == 1 ? gApp.gfx : gApp.mem;
    const SliderLayout s = LayOutSlider(ToPixelRect(client), ToPixelRect(thumb), ToPixelRect(channel), domain);

    HBRUSH face = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);  // the system colour as a brush
    if (paint.fErase) {
        FillRect(dc, &client, face);
    } else {
        for (int i = 0; i < 8; ++i) {
            RECT r = ToRect(s.background[i]);
            FillRect(dc, &r, face);
        }
    }
    DrawFrame(dc, s);

    SetBkMode(dc, OPAQUE);
    FillBand(dc, s.green, kBandGreen);
    FillBand(dc, s.yellow, kBandYellow);
    if (s.hasRed)
        FillBand(dc, s.red, kBandRed);

    HBRUSH solid = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    HBITMAP dither = NULL;
    HBRUSH pattern = NULL;
    if (pressed) {
        dither = CreateDitherBitmap();
        pattern = CreatePatternBrush(dither);
    }
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    DrawThumb(dc, s, pattern ? pattern : solid);
    if (GetFocus() == window)
        DrawFocusRect(dc, &client);
    SelectObject(dc, oldPen);

    DeleteObject(solid);
    if (pattern)
        DeleteObject(pattern);
    if (dither)
        DeleteObject(dither);
    EndPaint(window, &paint);
    return 1;
}

LRESULT CALLBACK SliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
        return PaintSlider(window);
    if (message == WM_LBUTTONDOWN)
        SetPressedSlider(window, 1);
    else if (message == WM_LBUTTONUP)
        SetPressedSlider(window, 0);
    return CallOriginalProc(window, message, wParam, lParam);
}
