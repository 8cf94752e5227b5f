// The logo drawn through its mask, the link's colours under the pointer, and
// the About box that closes with "&OK" only.
#include "e2e_apply_steps.h"

namespace {

using namespace e2e_apply;

const int kLogoWidth = 247, kLogoHeight = 41;

// Bitmap 204 of velkor-sim.exe as 0x00BBGGRR pixels, top row first.
std::vector<COLORREF> LogoImage()
{
    std::vector<COLORREF> pixels;
    HMODULE module = LoadLibraryExA(SimPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return pixels;
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(204), IMAGE_BITMAP, 0, 0,
                                                     LR_CREATEDIBSECTION));
    if (bitmap) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kLogoWidth;
        info.bmiHeader.biHeight = -kLogoHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        std::vector<uint32_t> bgrx(kLogoWidth * kLogoHeight);
        HDC screen = GetDC(NULL);
        if (GetDIBits(screen, bitmap, 0, kLogoHeight, bgrx.data(), &info, DIB_RGB_COLORS) == kLogoHeight) {
            for (uint32_t p : bgrx)
                pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
        ReleaseDC(NULL, screen);
        DeleteObject(bitmap);
    }
    FreeLibrary(module);
    return pixels;
}

int CountColour(const ScreenPicture& picture, COLORREF colour)
{
    int n = 0;
    for (COLORREF c : picture.pixels)
        n += c == colour;
    return n;
}

std::string At(int x, int y)
{
    return std::to_string(x) + " " + std::to_string(y);
}

}  // namespace

E2E_SCENARIO(logo_white_shows_the_dialog_background)
{
    const std::vector<COLORREF> image = LogoImage();
    E2E_REQUIRE(image.size() == static_cast<size_t>(kLogoWidth * kLogoHeight));
    Chip chip;
    Sim sim = Sim::Start("", "board=TNT2");
    HWND main = StartShown(&sim, &chip);
    HWND logo = GetDlgItem(main, kLogo);
    const RECT area = ClientOnScreen(logo);
    E2E_CHECK_EQ(kLogoWidth, static_cast<int>(area.right - area.left));
    const ScreenPicture picture = CaptureScreen(area);
    Shot("logo", main);

    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    int white = 0, coloured = 0, wrong = 0;
    for (int y = 0; y < kLogoHeight && y < area.bottom - area.top; ++y) {
        for (int x = 0; x < kLogoWidth && x < area.right - area.left; ++x) {
            const COLORREF pixel = image[y * kLogoWidth + x];
            const bool isWhite = pixel == RGB(255, 255, 255);
            (isWhite ? white : coloured)++;
            const COLORREF expected = isWhite ? background : pixel;
            const COLORREF seen = picture.At(area.left + x, area.top + y);
            if (seen != expected && ++wrong <= 5)
                RecordFailure(__FILE__, __LINE__,
                              "logo pixel " + At(x, y) + " is " + Hex(seen) + ", expected " + Hex(expected));
        }
    }
    Note(std::to_string(white) + " white and " + std::to_string(coloured) + " coloured logo pixels");
    E2E_CHECK(white > 1000 && coloured > 1000);  // both kinds were really looked at
    E2E_CHECK_EQ(0, wrong);
}

E2E_SCENARIO(logo_link_turns_red_under_the_pointer_and_blue_off_it)
{
    Chip chip;
    Sim sim = Sim::Start("", "board=TNT2");
    HWND main = StartShown(&sim, &chip);
    HWND link = GetDlgItem(main, kLink);
    const RECT area = ClientOnScreen(link);
    const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0);

    // The pointer away from the link, then over it, then away again.
    POINT away = CentreOf(GetDlgItem(main, kReset));
    Xdotool("mousemove " + At(away.x, away.y));
    PumpFor(300);
    const int blueBefore = CountColour(CaptureScreen(area), blue);
    POINT over = CentreOf(link);
    Xdotool("mousemove " + At(over.x, over.y));
    ScreenPicture hovered = CaptureScreen(area);
    Shot("link_under_the_pointer", main);
    Xdotool("mousemove " + At(away.x, away.y));
    const int blueAfter = CountColour(CaptureScreen(area), blue);

    Note("blue pixels " + std::to_string(blueBefore) + ", red under the pointer " +
         std::to_string(CountColour(hovered, red)));
    E2E_CHECK(blueBefore > 20);
    E2E_CHECK_EQ(0, CountColour(hovered, blue));
    E2E_CHECK(CountColour(hovered, red) > 20);
    E2E_CHECK_EQ(blueBefore, blueAfter);
}

E2E_SCENARIO(logo_about_box_closes_with_ok_only)
{
    Chip chip;
    Sim sim = Sim::Start("", "board=TNT2");
    HWND main = StartShown(&sim, &chip);
    PostMessageA(main, WM_SYSCOMMAND, kAboutCommand, 0);
    HWND about = WaitForDialog(sim, kAboutTitle);
    E2E_REQUIRE(about);
    Shot("about_box", about);
    const std::string texts = StaticTexts(about);
    E2E_CHECK_MSG(texts.find("Velkor|Version 1.11.00.0022") != std::string::npos, texts);

    // Esc, the cancel command and a second "&About" change nothing.
    PostMessageA(GetDlgItem(about, kConfirmOk), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(main, WM_COMMAND, kAboutCommand, 0);
    PumpFor(1000);
    E2E_CHECK(IsWindow(about) && Visible(about));
    int abouts = 0;
    for (HWND window : sim.Windows())
        abouts += Text(window) == kAboutTitle;
    E2E_CHECK_EQ(1, abouts);

    Click(about, kConfirmOk);
    E2E_CHECK(WaitGone(about));
    E2E_CHECK(sim.Running());
    E2E_CHECK(Visible(main));

    // From the tray menu with the main window hidden: the box on its own.
    Click(main, kClose);
    E2E_CHECK(WaitUntil([&] { return !Visible(main); }));
    PostMessageA(main, WM_COMMAND, kAboutCommand, 0);
    about = WaitForDialog(sim, kAboutTitle);
    E2E_REQUIRE(about);
    E2E_CHECK(!Visible(main));
    Click(about, kConfirmOk);
    E2E_CHECK(WaitGone(about));
    E2E_CHECK(!Visible(main));
}
