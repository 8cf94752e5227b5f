// One whole apply with real mouse input through the X server (xdotool):
// drag the graphics slider, "&Apply", "&OK", "&Yes".
#include "e2e_apply_steps.h"

namespace {

using namespace e2e_apply;

std::string At(int x, int y)
{
    return std::to_string(x) + " " + std::to_string(y);
}

void ClickOn(HWND window)
{
    POINT p = CentreOf(window);
    Xdotool("mousemove " + At(p.x, p.y) + " click 1");
}

}  // namespace

E2E_SCENARIO(apply_by_mouse_drag_apply_ok_yes)
{
    Chip chip;
    Sim sim = Sim::Start("", "board=TNT2");
    HWND main = StartShown(&sim, &chip);

    // Grab the thumb (at 125 of 115..140) and drag it to the right.
    HWND slider = GetDlgItem(main, kGfxSlider);
    RECT track;
    GetWindowRect(slider, &track);
    const int low = SliderMin(main, kGfxSlider), high = SliderMax(main, kGfxSlider);
    const int margin = (track.bottom - track.top) / 2;  // about half a thumb at each end
    const int thumbX = track.left + margin + (125 - low) * (track.right - track.left - 2 * margin) / (high - low);
    const int y = (track.top + track.bottom) / 2;
    E2E_REQUIRE(Xdotool("mousemove " + At(thumbX, y)) == 0);
    Xdotool("mousedown 1");
    Xdotool("mousemove " + At(thumbX + 30, y));
    Xdotool("mousemove " + At(thumbX + 60, y));
    Xdotool("mouseup 1");
    E2E_REQUIRE(WaitUntil([&] { return SliderPos(main, kGfxSlider) > 126; }));
    const int wanted = SliderPos(main, kGfxSlider);
    Note("dragged to " + std::to_string(wanted) + " MHz");
    E2E_CHECK_EQ(GfxLabel(wanted), Text(main, kGfxLabel));

    ClickOn(GetDlgItem(main, kApply));
    HWND confirmation = WaitForDialog(sim, kConfirmTitle);
    E2E_REQUIRE(confirmation);
    E2E_CHECK_EQ("Graphics Clock --------> " + std::to_string(wanted) + " MHz", Text(confirmation, kConfirmGfx));
    const DWORD start = GetTickCount();
    ClickOn(GetDlgItem(confirmation, kConfirmOk));
    HWND keep = WaitForDialog(sim, kKeepTitle);
    E2E_REQUIRE(keep);
    Note("\"&OK\" clicked to keep-or-revert shown: " + std::to_string(GetTickCount() - start) + " ms");
    ClickOn(GetDlgItem(keep, kYes));
    E2E_CHECK(WaitGone(keep));

    // The labels show what the chip runs at, and the chip holds that clock's word.
    E2E_CHECK(WaitUntil([&] { return !Enabled(main, kApply); }));
    const int shown = SliderPos(main, kGfxSlider);
    E2E_CHECK_EQ(GfxLabel(shown), Text(main, kGfxLabel));
    E2E_CHECK_EQ(static_cast<uint32_t>(shown), chip.GfxMHz());
    E2E_CHECK_EQ(chip.WordFor(shown, 0, kTnt2), chip.Read32(0x680500));
    E2E_CHECK_EQ(chip.WordFor(150, 1, kTnt2), chip.Read32(0x680504));
    E2E_CHECK(sim.FindWindowTitled(kRestoreTitle) == nullptr);
}
