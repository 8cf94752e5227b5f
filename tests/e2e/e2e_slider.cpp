// The painted sliders on the screen: the green, yellow and red bands where
// the arithmetic puts them, button face around them, the dithered thumb
// while the mouse button holds it.
#include "e2e_apply_steps.h"

#include <commctrl.h>

namespace {

using namespace e2e_apply;

const COLORREF kGreen = RGB(0, 255, 0), kYellow = RGB(255, 255, 0), kRed = RGB(255, 0, 0);

// The trackbar's own geometry, from a hidden copy in this process with the
// same style, size, range and position (its rectangles cannot be asked
// for across processes).
struct TrackGeometry {
    RECT client, channel, thumb;
};

TrackGeometry GeometryOf(HWND slider)
{
    TrackGeometry g = {};
    GetClientRect(slider, &g.client);
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 100, NULL, NULL, NULL, NULL);
    DWORD style = static_cast<DWORD>(GetWindowLongA(slider, GWL_STYLE));
    style = (style & ~(WS_VISIBLE | WS_POPUP)) | WS_CHILD;
    HWND copy = CreateWindowExA(0, TRACKBAR_CLASSA, "", style, 0, 0, g.client.right, g.client.bottom, parent, NULL,
                                NULL, NULL);
    LRESULT low = SendMessageA(slider, TBM_GETRANGEMIN, 0, 0), high = SendMessageA(slider, TBM_GETRANGEMAX, 0, 0);
    SendMessageA(copy, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
    SendMessageA(copy, TBM_SETPOS, TRUE, SendMessageA(slider, TBM_GETPOS, 0, 0));
    SendMessageA(copy, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&g.channel));
    SendMessageA(copy, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&g.thumb));
    DestroyWindow(parent);
    return g;
}

// Where a clock lies on the channel: as the painting computes it, in 32-bit
// unsigned arithmetic.
int BandX(const RECT& channel, uint32_t clock, uint32_t min, uint32_t max)
{
    const uint32_t width = static_cast<uint32_t>(channel.right - channel.left);
    return channel.left + static_cast<int>((clock - min) * width / (max - min));
}

struct Bands {
    uint32_t min, max, defaultClock, defaultMax;
};

// Checks one slider's picture row by row; returns the number of pixels that differ.
int CheckSlider(HWND main, int sliderId, const Bands& b, const char* what)
{
    HWND slider = GetDlgItem(main, sliderId);
    const TrackGeometry g = GeometryOf(slider);
    const RECT onScreen = ClientOnScreen(slider);
    const ScreenPicture picture = CaptureScreen(onScreen);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);

    const RECT& r = g.channel;
    const int x1 = BandX(r, b.defaultClock, b.min, b.max);
    const bool red = b.max > b.defaultMax;
    const int x2 = red ? BandX(r, b.defaultMax, b.min, b.max) : r.right - 2;
    const int cx = (g.thumb.left + g.thumb.right) / 2, cy = (g.thumb.top + g.thumb.bottom) / 2;
    const int h = (g.thumb.bottom - g.thumb.top) / 2 + 1;
    Note(std::string(what) + ": channel " + std::to_string(r.left) + ".." + std::to_string(r.right) + " x1 " +
         std::to_string(x1) + (red ? " x2 " + std::to_string(x2) : std::string(" no red")) + ", thumb at " +
         std::to_string(cx));

    int wrong = 0;
    auto expect = [&](int x, int y, COLORREF colour) {
        if (x >= cx - h - 1 && x <= cx + h + 1)
            return;  // the thumb
        COLORREF seen = picture.At(onScreen.left + x, onScreen.top + y);
        if (seen != colour) {
            if (++wrong <= 5)
                RecordFailure(__FILE__, __LINE__,
                              std::string(what) + " pixel " + std::to_string(x) + "," + std::to_string(y) + " is " +
                                  Hex(seen) + ", expected " + Hex(colour));
        }
    };
    // The bands, on every row they cover.
    for (int y = r.top - 1; y < r.bottom + 1; ++y) {
        for (int x = r.left + 2; x < r.right - 2; ++x)
            expect(x, y, x < x1 ? kGreen : x < x2 ? kYellow : kRed);
    }
    // Button face above and below the frame and beside it (not the focus
    // rectangle's outermost pixels).
    for (int x = 1; x < g.client.right - 1; ++x) {
        for (int y = 1; y < r.top - 3; ++y)
            expect(x, y, face);
        for (int y = r.bottom + 3; y < g.client.bottom - 1; ++y)
            expect(x, y, face);
    }
    for (int y = 1; y < g.client.bottom - 1; ++y) {
        for (int x = 1; x < r.left; ++x)
            expect(x, y, face);
        for (int x = r.right; x < g.client.right - 1; ++x)
            expect(x, y, face);
    }
    (void)cy;
    return wrong;
}

void SetLimits(uint32_t gfxMin, uint32_t gfxMax, uint32_t memMin, uint32_t memMax)
{
    WriteDword(kSettingsKey, "Device", kTnt2);
    WriteDword(kSettingsKey, "GFX Min", gfxMin);
    WriteDword(kSettingsKey, "GFX Max", gfxMax);
    WriteDword(kSettingsKey, "MEM Min", memMin);
    WriteDword(kSettingsKey, "MEM Max", memMax);
}

}  // namespace

E2E_SCENARIO(slider_bands_on_screen_for_the_initial_and_the_widest_range)
{
    const struct {
        uint32_t gfxMax, memMax;
        int gfxAt, memAt;  // thumbs away from the band edges
    } ranges[] = {{140, 166, 117, 142}, {166, 183, 120, 145}};
    for (const auto& range : ranges) {
        SetLimits(115, range.gfxMax, 140, range.memMax);
        Chip chip;
        Sim sim = Sim::Start("", "board=TNT2");
        HWND main = StartShown(&sim, &chip);
        E2E_CHECK_EQ(static_cast<int>(range.gfxMax), SliderMax(main, kGfxSlider));
        MoveSlider(main, kGfxSlider, range.gfxAt);
        MoveSlider(main, kMemSlider, range.memAt);
        E2E_CHECK(WaitUntil([&] { return Text(main, kMemLabel) == MemLabel(range.memAt); }));
        Shot("slider_bands_" + std::to_string(range.gfxMax), main);
        E2E_CHECK_EQ(0, CheckSlider(main, kGfxSlider, Bands{115, range.gfxMax, 125, 140}, "graphics"));
        E2E_CHECK_EQ(0, CheckSlider(main, kMemSlider, Bands{140, range.memMax, 150, 166}, "memory"));
        sim.Exit();
    }
}

E2E_SCENARIO(slider_thumb_is_dithered_while_the_button_holds_it)
{
    Chip chip;
    Sim sim = Sim::Start("", "board=TNT2");
    HWND main = StartShown(&sim, &chip);
    HWND slider = GetDlgItem(main, kGfxSlider);
    const TrackGeometry g = GeometryOf(slider);
    const int cx = (g.thumb.left + g.thumb.right) / 2, cy = (g.thumb.top + g.thumb.bottom) / 2;
    const RECT onScreen = ClientOnScreen(slider);
    const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    E2E_REQUIRE(face != light);

    // The diamond's middle, clear of its edges.
    auto countColours = [&](const ScreenPicture& p, int* faces, int* lights, int* alternations) {
        *faces = *lights = *alternations = 0;
        for (int y = cy - 3; y <= cy + 3; ++y) {
            for (int x = cx - 3; x <= cx + 3; ++x) {
                COLORREF c = p.At(onScreen.left + x, onScreen.top + y);
                *faces += c == face;
                *lights += c == light;
                *alternations += c != p.At(onScreen.left + x + 1, onScreen.top + y);
            }
        }
    };
    int faces, lights, alternations;
    PostMessageA(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
    ScreenPicture pressed = CaptureScreen(onScreen);
    Shot("slider_pressed", main);
    countColours(pressed, &faces, &lights, &alternations);
    E2E_CHECK_MSG(faces > 15 && lights > 15 && alternations == 49,
                  faces << " face, " << lights << " highlight, " << alternations << " changes");

    PostMessageA(slider, WM_LBUTTONUP, 0, MAKELPARAM(cx, cy));
    ScreenPicture released = CaptureScreen(onScreen);
    countColours(released, &faces, &lights, &alternations);
    E2E_CHECK_MSG(faces == 49, faces << " of 49 pixels in button face");
    E2E_CHECK_EQ(125, SliderPos(main, kGfxSlider));
}
