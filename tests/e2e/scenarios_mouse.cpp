// The main window and the tray driven by real mouse input through the X
// server (xdotool), as a person would: drag a slider, press "&Close",
// double-click the tray icon, pick "E&xit" from the tray menu.
#include "e2e_driver.h"

namespace {

using namespace e2e;

const int kApply = 1101, kClose = 1102, kGfxLabel = 1104, kGfxSlider = 1105;

std::string At(POINT p)
{
    return std::to_string(p.x) + " " + std::to_string(p.y);
}

int GfxLabelClock(HWND main)
{
    std::string label = Text(main, kGfxLabel);  // "Graphics Core Clock at N MHz"
    size_t at = label.find(" at ");
    return at == std::string::npos ? -1 : atoi(label.c_str() + at + 4);
}

}  // namespace

E2E_SCENARIO(mouse_drag_close_and_tray_as_a_person)
{
    if (ScreenshotMode()) {
        Note("skipped on the virtual desktop: its tray is the taskbar's");
        return;
    }
    Sim sim = Sim::Start("");
    HWND main = sim.MainWindow();
    sim.WaitIdle();
    E2E_REQUIRE(WaitUntil([&] { return Visible(main); }));

    // Drag the graphics slider from its thumb (at 125 of 115..140) to the right end.
    HWND slider = GetDlgItem(main, kGfxSlider);
    RECT track;
    GetWindowRect(slider, &track);
    int position = SliderPos(main, kGfxSlider);
    int low = SliderMin(main, kGfxSlider), high = SliderMax(main, kGfxSlider);
    // The trackbar keeps a margin of about half a thumb at each end of its channel.
    int margin = (track.bottom - track.top) / 2;
    POINT thumb = {track.left + margin + (position - low) * (track.right - track.left - 2 * margin) / (high - low),
                   (track.top + track.bottom) / 2};
    E2E_REQUIRE(Xdotool("mousemove " + At(thumb)) == 0);
    Xdotool("mousedown 1");
    Xdotool("mousemove " + At(POINT{thumb.x + 40, thumb.y}));
    Xdotool("mousemove " + At(POINT{track.right + 30, thumb.y}));
    Xdotool("mouseup 1");
    E2E_CHECK(WaitUntil([&] { return SliderPos(main, kGfxSlider) == high; }));
    E2E_CHECK_EQ(high, GfxLabelClock(main));
    E2E_CHECK(Enabled(main, kApply));

    // "&Close" with a click.
    Xdotool("mousemove " + At(CentreOf(GetDlgItem(main, kClose))) + " click 1");
    E2E_CHECK(WaitUntil([&] { return !Visible(main); }));

    // A single click on the tray icon does nothing; a double click brings
    // the window back with the slider at the live clock again.
    std::vector<HWND> icons = TrayIcons();
    E2E_REQUIRE(icons.size() == 1);
    POINT icon = CentreOf(icons[0]);
    Xdotool("mousemove " + At(icon) + " click 1");
    E2E_CHECK(Barrier(main));
    E2E_CHECK(!Visible(main));
    PumpFor(600);  // let the single click age beyond the double-click time
    Xdotool("mousemove " + At(icon) + " click --repeat 2 --delay 60 1");
    E2E_CHECK(WaitUntil([&] { return Visible(main); }));
    E2E_CHECK_EQ(position, SliderPos(main, kGfxSlider));
    E2E_CHECK(!Enabled(main, kApply));

    // Back to the tray, then the right button on the icon: the menu, whose
    // third and last item is "E&xit". (Wine's stand-alone tray takes the
    // activation from a visible window when it is clicked, which closes a menu
    // at once; from the tray the menu stays as on Windows.)
    Xdotool("mousemove " + At(CentreOf(GetDlgItem(main, kClose))) + " click 1");
    E2E_CHECK(WaitUntil([&] { return !Visible(main); }));
    Xdotool("mousemove " + At(icon) + " click 3");
    HWND menu = WaitForMenu();
    E2E_REQUIRE(menu != nullptr);
    RECT items;
    GetWindowRect(menu, &items);
    POINT exitItem = {(items.left + items.right) / 2, items.bottom - (items.bottom - items.top) / 6};
    Xdotool("mousemove " + At(exitItem) + " click 1");
    E2E_CHECK_EQ(0u, sim.WaitExit());
    E2E_CHECK(WaitForTrayIcons(0));
}
