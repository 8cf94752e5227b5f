// The main window: titles and ranges per board, the layout of template 101,
// hiding and restoring, sliders and buttons, the About guard, the tray
// callbacks and menu, Esc, Enter and "E&xit".
#include "e2e_driver.h"

#include <commctrl.h>
#include <string.h>

namespace {

using namespace e2e;

const int kApply = 1101, kClose = 1102, kLogo = 1103, kGfxLabel = 1104, kGfxSlider = 1105, kReset = 1106,
          kMemLabel = 1107, kMemSlider = 1108, kLink = 1110, kGfxMin = 1111, kMemMin = 1112, kGfxMax = 1113,
          kMemMax = 1114, kResetOnReboot = 1115;

std::string GfxLabel(int mhz)
{
    return "Graphics Core Clock at " + std::to_string(mhz) + " MHz";
}

std::string MemLabel(int mhz)
{
    return "Memory Clock at " + std::to_string(mhz) + " MHz";
}

std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

int CountWindowsTitled(const Sim& sim, const std::string& title)
{
    int count = 0;
    for (HWND window : sim.Windows())
        count += Text(window) == title;
    return count;
}

}  // namespace

E2E_SCENARIO(title_and_ranges_for_every_board_kind)
{
    const struct {
        const char* board;
        const char* title;
        int gfxDefault, gfxMax, memDefault, memMax;
    } boards[] = {
        {"TNT", "ZuvoVuzozuzo for TNT", 90, 100, 110, 125},
        {"TNT2", "ZuvoVuzozuzo for TNT2", 125, 140, 150, 166},
        {"UltraTNT2", "ZuvoVuzozuzo for Ultra-TNT2", 150, 166, 183, 200},
        {"Vanta", "ZuvoVuzozuzo for VANTA", 100, 110, 125, 138},
        {"TNT2Value", "ZuvoVuzozuzo for TNT2 Value", 125, 140, 150, 166},
        {"Gravenor", "ZuvoVuzozuzo for Gravenor", 120, 135, 166, 183},
        {"GravenorPro", "ZuvoVuzozuzo for Gravenor PRO", 120, 135, 150, 166},
    };
    for (const auto& b : boards) {
        Sim sim = Sim::Start("", std::string("board=") + b.board);
        HWND main = sim.MainWindow();
        sim.WaitIdle();
        E2E_CHECK_EQ(std::string(b.title), Text(main));
        // The chip runs at the board's defaults: the initial ranges, nothing to apply or reset.
        E2E_CHECK_EQ(b.gfxDefault - 10, SliderMin(main, kGfxSlider));
        E2E_CHECK_EQ(b.gfxMax, SliderMax(main, kGfxSlider));
        E2E_CHECK_EQ(b.memDefault - 10, SliderMin(main, kMemSlider));
        E2E_CHECK_EQ(b.memMax, SliderMax(main, kMemSlider));
        E2E_CHECK_EQ(std::to_string(b.gfxDefault - 10), Text(main, kGfxMin));
        E2E_CHECK_EQ(std::to_string(b.gfxMax), Text(main, kGfxMax));
        E2E_CHECK_EQ(std::to_string(b.memDefault - 10), Text(main, kMemMin));
        E2E_CHECK_EQ(std::to_string(b.memMax), Text(main, kMemMax));
        E2E_CHECK_EQ(b.gfxDefault, SliderPos(main, kGfxSlider));
        E2E_CHECK_EQ(b.memDefault, SliderPos(main, kMemSlider));
        E2E_CHECK_EQ(GfxLabel(b.gfxDefault), Text(main, kGfxLabel));
        E2E_CHECK_EQ(MemLabel(b.memDefault), Text(main, kMemLabel));
        E2E_CHECK(Checked(main, kResetOnReboot));
        E2E_CHECK(!Enabled(main, kApply));
        E2E_CHECK(!Enabled(main, kReset));
        Shot(std::string("main-") + b.board, main);
        E2E_CHECK_EQ(0u, sim.Exit());
    }
}

E2E_SCENARIO(every_control_of_template_101_at_its_place)
{
    DialogTemplateInfo dialog = LoadDialogTemplate(SimPath(), 101);
    E2E_REQUIRE(dialog.loaded);
    E2E_CHECK_EQ(std::string("ZuvoVuzozuzo for NVIDIA"), dialog.caption);
    E2E_CHECK_EQ(std::string("MS Sans Serif"), dialog.font);
    E2E_CHECK_EQ(9, dialog.pointSize);
    E2E_CHECK_EQ(220, dialog.width);
    E2E_CHECK_EQ(143, dialog.height);
    const DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER;
    E2E_CHECK_EQ(wanted, dialog.style & wanted);
    E2E_CHECK_EQ(0u, dialog.style & (WS_VISIBLE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    const struct {
        int id;
        const char* windowClass;
        const char* text;  // null: not looked at
        int x, y, cx, cy;
    } table[] = {
        {kClose, "Button", "&Close", 163, 123, 50, 14},
        {kLogo, "Static", "#204", 44, 3, 92, 80},
        {kLink, "Static", nullptr, 68, 28, 82, 8},
        {kGfxLabel, "Static", "Graphics Core Clock at XXX MHz", 31, 44, 157, 8},
        {kGfxMin, "Static", "XXX", 3, 58, 16, 10},
        {kGfxMax, "Static", "XXX", 196, 58, 16, 10},
        {kGfxSlider, "msctls_trackbar32", nullptr, 22, 55, 172, 16},
        {kMemLabel, "Static", "Memory Clock at XXX Mhz", 30, 77, 159, 8},
        {kMemMin, "Static", "XXX", 3, 91, 16, 10},
        {kMemMax, "Static", "XXX", 196, 91, 16, 10},
        {kMemSlider, "msctls_trackbar32", nullptr, 22, 88, 172, 16},
        {kResetOnReboot, "Button", "Reset to &Defaults on Reboot", 59, 108, 119, 8},
        {kReset, "Button", "&Reset to Defaults", 7, 123, 70, 14},
        {kApply, "Button", "&Apply", 106, 123, 50, 14},
    };
    E2E_CHECK_EQ(sizeof(table) / sizeof(table[0]), dialog.controls.size());

    Sim sim = Sim::Start("");
    HWND main = sim.MainWindow();
    sim.WaitIdle();
    RECT client;
    GetClientRect(main, &client);
    E2E_CHECK_EQ(DialogUnitsToPixels(dialog, RECT{0, 0, 220, 143}), client);

    for (const auto& row : table) {
        const DialogControl* control = nullptr;
        for (const DialogControl& c : dialog.controls) {
            if (c.id == row.id)
                control = &c;
        }
        E2E_CHECK_MSG(control != nullptr, "control " << row.id << " in the template");
        if (!control)
            continue;
        RECT units = {row.x, row.y, row.x + row.cx, row.y + row.cy};
        E2E_CHECK_MSG(_stricmp(control->windowClass.c_str(), row.windowClass) == 0,
                      row.id << " is a " << control->windowClass);
        if (row.text)
            E2E_CHECK_MSG(control->text == row.text, row.id << " says '" << control->text << "'");
        E2E_CHECK_MSG(control->rect == units, row.id << " at " << control->rect);
        if (row.id != kLogo) {
            RECT placed = ClientRectOf(main, row.id);
            E2E_CHECK_MSG(placed == DialogUnitsToPixels(dialog, units),
                          row.id << " shown at " << placed << ", template at "
                                 << DialogUnitsToPixels(dialog, units));
        }
    }
    // The controls' kinds as the table gives them.
    auto styleOf = [&](int id) {
        for (const DialogControl& c : dialog.controls) {
            if (c.id == id)
                return c.style;
        }
        return DWORD(0);
    };
    E2E_CHECK_EQ(DWORD(BS_DEFPUSHBUTTON), styleOf(kClose) & 0x0F);
    E2E_CHECK_EQ(DWORD(BS_PUSHBUTTON), styleOf(kReset) & 0x0F);
    E2E_CHECK_EQ(DWORD(BS_PUSHBUTTON), styleOf(kApply) & 0x0F);
    E2E_CHECK_EQ(DWORD(BS_AUTOCHECKBOX), styleOf(kResetOnReboot) & 0x0F);
    for (int id : {kLink, kGfxLabel, kMemLabel})
        E2E_CHECK_EQ(DWORD(SS_CENTER), styleOf(id) & 0x1F);
    for (int id : {kGfxMin, kMemMin})
        E2E_CHECK_EQ(DWORD(SS_RIGHT), styleOf(id) & 0x1F);
    for (int id : {kGfxMax, kMemMax})
        E2E_CHECK_EQ(DWORD(SS_LEFT), styleOf(id) & 0x1F);
    for (int id : {kGfxSlider, kMemSlider, kResetOnReboot})
        E2E_CHECK_MSG(styleOf(id) & WS_TABSTOP, id << " is a tab stop");

    // The logo, moved at start: centred across the window, halfway above the link, 2 pixels lower.
    RECT logo = ClientRectOf(main, kLogo);
    RECT link = ClientRectOf(main, kLink);
    int width = logo.right - logo.left, height = logo.bottom - logo.top;
    E2E_CHECK_EQ((client.right - width) / 2, logo.left);
    E2E_CHECK_EQ((link.top - height) / 2 + 2, logo.top);
    // No placeholder is left once the window shows.
    for (int id : {kGfxLabel, kMemLabel, kGfxMin, kGfxMax, kMemMin, kMemMax})
        E2E_CHECK_MSG(Text(main, id).find("XXX") == std::string::npos, id << ": " << Text(main, id));
    Shot("main-window", main);
    E2E_CHECK_EQ(0u, sim.Exit());
}

E2E_SCENARIO(close_hides_and_saves_restore_shows_live_clocks)
{
    Sim sim = Sim::Start("");
    HWND main = sim.MainWindow();
    sim.WaitIdle();
    E2E_REQUIRE(WaitUntil([&] { return Visible(main); }));

    // A slider move that is never applied, then "&Close".
    MoveSlider(main, kGfxSlider, 132);
    E2E_CHECK_EQ(GfxLabel(132), Text(main, kGfxLabel));
    Click(main, kClose);
    E2E_CHECK(WaitUntil([&] { return !Visible(main); }));
    const std::vector<std::string> six = {"Device", "GFX Max", "GFX Min", "MEM Max", "MEM Min", "Reboot"};
    E2E_CHECK(ValueNames(kSettingsKey) == six);
    uint32_t value = 0;
    E2E_CHECK(ReadDword(kSettingsKey, "Device", &value) && value == 2);
    E2E_CHECK(ReadDword(kSettingsKey, "GFX Min", &value) && value == 115);
    E2E_CHECK(ReadDword(kSettingsKey, "GFX Max", &value) && value == 140);
    E2E_CHECK(ReadDword(kSettingsKey, "MEM Min", &value) && value == 140);
    E2E_CHECK(ReadDword(kSettingsKey, "MEM Max", &value) && value == 166);
    E2E_CHECK(ReadDword(kSettingsKey, "Reboot", &value) && value == 1);
    E2E_CHECK(WaitForTrayIcons(1));
    E2E_CHECK(sim.Running());

    // Meanwhile the clocks changed underneath; Restore shows what the chip runs at.
    Chip chip;
    E2E_REQUIRE(chip.Open());
    chip.Write32(0x680500, chip.WordFor(137, 0, 2));
    chip.Write32(0x680504, chip.WordFor(158, 1, 2));
    TrayCallback(main, 1001, 0x203);
    E2E_CHECK(WaitUntil([&] { return Visible(main); }));
    E2E_CHECK_EQ(static_cast<int>(chip.GfxMHz()), SliderPos(main, kGfxSlider));
    E2E_CHECK_EQ(static_cast<int>(chip.MemMHz()), SliderPos(main, kMemSlider));
    E2E_CHECK_EQ(GfxLabel(static_cast<int>(chip.GfxMHz())), Text(main, kGfxLabel));
    E2E_CHECK_EQ(MemLabel(static_cast<int>(chip.MemMHz())), Text(main, kMemLabel));
    E2E_CHECK(!Enabled(main, kApply));
    E2E_CHECK(Enabled(main, kReset));

    // The close box hides and saves the same way.
    DeleteKeyTree(kSettingsKey);
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    E2E_CHECK(WaitUntil([&] { return !Visible(main); }));
    E2E_CHECK(ValueNames(kSettingsKey) == six);
    chip.Close();
    E2E_CHECK_EQ(0u, sim.Exit());
}

E2E_SCENARIO(sliders_check_box_and_reset_to_defaults)
{
    // A TNT2 whose clocks run off the defaults: 135 and 160 MHz.
    Chip chip;
    E2E_REQUIRE(chip.Prepare("board=TNT2", 135, 160));
    uint32_t gfxWord = chip.Read32(0x680500), memWord = chip.Read32(0x680504);
    Sim sim = Sim::Start("");
    HWND main = sim.MainWindow();
    sim.WaitIdle();
    E2E_CHECK_EQ(135, SliderPos(main, kGfxSlider));
    E2E_CHECK_EQ(160, SliderPos(main, kMemSlider));
    E2E_CHECK(Enabled(main, kReset));
    E2E_CHECK(!Enabled(main, kApply));

    // Moving a slider changes its label at once and enables "&Apply"; moving it back disables it.
    MoveSlider(main, kGfxSlider, 120);
    E2E_CHECK_EQ(GfxLabel(120), Text(main, kGfxLabel));
    E2E_CHECK(Enabled(main, kApply));
    Shot("main-slider-moved", main);
    MoveSlider(main, kGfxSlider, 135);
    E2E_CHECK(!Enabled(main, kApply));
    MoveSlider(main, kMemSlider, 145);
    E2E_CHECK_EQ(MemLabel(145), Text(main, kMemLabel));
    E2E_CHECK(Enabled(main, kApply));
    MoveSlider(main, kMemSlider, 160);
    E2E_CHECK(!Enabled(main, kApply));

    // The check box alone enables "&Apply", and keeps it enabled across a slider's round trip.
    Click(main, kResetOnReboot);
    E2E_CHECK(WaitUntil([&] { return !Checked(main, kResetOnReboot) && Enabled(main, kApply); }));
    MoveSlider(main, kGfxSlider, 130);
    MoveSlider(main, kGfxSlider, 135);
    E2E_CHECK(Enabled(main, kApply));
    Click(main, kResetOnReboot);
    E2E_CHECK(WaitUntil([&] { return Checked(main, kResetOnReboot) && !Enabled(main, kApply); }));

    // A scroll message from no slider changes no value but puts the sliders and labels back.
    SendDlgItemMessageA(main, kGfxSlider, TBM_SETPOS, TRUE, 118);
    SendMessageA(main, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 118), 0);
    E2E_CHECK_EQ(135, SliderPos(main, kGfxSlider));
    E2E_CHECK_EQ(GfxLabel(135), Text(main, kGfxLabel));
    E2E_CHECK(!Enabled(main, kApply));

    // "&Reset to Defaults": both sliders to the defaults, the button off, the
    // focus on "&Close", the chip untouched.
    Click(main, kReset);
    E2E_CHECK(WaitUntil([&] { return SliderPos(main, kGfxSlider) == 125; }));
    E2E_CHECK_EQ(150, SliderPos(main, kMemSlider));
    E2E_CHECK_EQ(GfxLabel(125), Text(main, kGfxLabel));
    E2E_CHECK_EQ(MemLabel(150), Text(main, kMemLabel));
    E2E_CHECK(!Enabled(main, kReset));
    E2E_CHECK(Enabled(main, kApply));
    E2E_CHECK_EQ(GetDlgItem(main, kClose), Focus(main));
    E2E_CHECK_EQ(gfxWord, chip.Read32(0x680500));
    E2E_CHECK_EQ(memWord, chip.Read32(0x680504));
    Shot("main-reset-to-defaults", main);
    chip.Close();
    E2E_CHECK_EQ(0u, sim.Exit());
}

E2E_SCENARIO(about_never_opens_twice)
{
    Sim sim = Sim::Start("");
    HWND main = sim.MainWindow();
    sim.WaitIdle();
    PostMessageA(main, WM_COMMAND, 251, 0);
    E2E_REQUIRE(WaitUntil([&] { return sim.FindWindowTitled("About ZuvoVuzozuzo") != nullptr; }));
    Shot("about-box", sim.FindWindowTitled("About ZuvoVuzozuzo"));
    // Both menus again while the box is open.
    PostMessageA(main, WM_COMMAND, 251, 0);
    PostMessageA(main, WM_SYSCOMMAND, 251, 0);
    E2E_CHECK(Barrier(main));
    PumpFor(200);
    E2E_CHECK_EQ(1, CountWindowsTitled(sim, "About ZuvoVuzozuzo"));
    HWND about = sim.FindWindowTitled("About ZuvoVuzozuzo");
    Click(about, 1100);
    E2E_CHECK(WaitUntil([&] { return CountWindowsTitled(sim, "About ZuvoVuzozuzo") == 0; }));
    // Once closed it opens again.
    PostMessageA(main, WM_SYSCOMMAND, 251, 0);
    E2E_CHECK(WaitUntil([&] { return CountWindowsTitled(sim, "About ZuvoVuzozuzo") == 1; }));
    // "E&xit" ends the open box with the program.
    E2E_CHECK_EQ(0u, sim.Exit());
}

E2E_SCENARIO(tray_acts_on_left_double_click_and_right_press_only)
{
    Sim sim = Sim::Start(" /q");
    HWND main = sim.MainWindow();
    sim.WaitIdle();
    E2E_REQUIRE(!Visible(main));
    E2E_CHECK(WaitForTrayIcons(1));

    // Single clicks, releases, right double clicks, other icon identifiers: nothing.
    const struct {
        UINT id, mouse;
    } ignored[] = {{1001, 0x200}, {1001, 0x201}, {1001, 0x202}, {1001, 0x205}, {1001, 0x206},
                   {1001, 0x207}, {1001, 0x209}, {1000, 0x203}, {1002, 0x204}};
    for (const auto& c : ignored)
        TrayCallback(main, c.id, c.mouse);
    E2E_CHECK(Barrier(main));
    E2E_CHECK(!Visible(main));
    E2E_CHECK(!MenuOpen());

    // The right press opens the tray menu; Esc closes it without a choice.
    TrayCallback(main, 1001, 0x204);
    HWND menu = WaitForMenu();
    E2E_REQUIRE(menu != nullptr);
    Shot("tray-menu");
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    E2E_CHECK(WaitUntil([] { return !MenuOpen(); }));
    E2E_CHECK(!Visible(main));

    // "&Restore" from the menu shows the window.
    TrayCallback(main, 1001, 0x204);
    menu = WaitForMenu();
    E2E_REQUIRE(menu != nullptr);
    PostMessageA(menu, WM_CHAR, 'r', 0);
    E2E_CHECK(WaitUntil([&] { return Visible(main); }));
    Click(main, kClose);
    E2E_CHECK(WaitUntil([&] { return !Visible(main); }));

    // The left double click shows it, and it stays shown.
    TrayCallback(main, 1001, 0x203);
    E2E_CHECK(WaitUntil([&] { return Visible(main); }));
    PumpFor(500);
    E2E_CHECK(Visible(main));

    // "E&xit" from the menu: exit code 0, icon gone.
    TrayCallback(main, 1001, 0x204);
    menu = WaitForMenu();
    E2E_REQUIRE(menu != nullptr);
    PostMessageA(menu, WM_CHAR, 'x', 0);
    E2E_CHECK_EQ(0u, sim.WaitExit());
    E2E_CHECK(WaitForTrayIcons(0));
}

E2E_SCENARIO(esc_keeps_the_window_enter_closes_it)
{
    Sim sim = Sim::Start("");
    HWND main = sim.MainWindow();
    sim.WaitIdle();
    E2E_REQUIRE(WaitUntil([&] { return Visible(main); }));
    HWND slider = GetDlgItem(main, kGfxSlider);
    // Keys as the dialog manager sees them on the focused slider.
    PostMessageA(slider, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(slider, WM_KEYUP, VK_ESCAPE, 0);
    E2E_CHECK(Barrier(main));
    PumpFor(300);
    E2E_CHECK(Visible(main));
    E2E_CHECK(ValueNames(kSettingsKey).empty());

    PostMessageA(slider, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(slider, WM_KEYUP, VK_RETURN, 0);
    E2E_CHECK(WaitUntil([&] { return !Visible(main); }));
    E2E_CHECK_EQ(6u, ValueNames(kSettingsKey).size());
    E2E_CHECK_EQ(0u, sim.Exit());
}

E2E_SCENARIO(system_menu_limits_and_refresh_desktop)
{
    Chip chip;
    E2E_REQUIRE(chip.Prepare("board=Vanta"));
    Sim sim = Sim::Start("", "board=Vanta");
    HWND main = sim.MainWindow();
    sim.WaitIdle();
    E2E_REQUIRE(WaitUntil([&] { return Visible(main); }));

    // The system menu, opened as Alt+Space opens it; "&Limits" by its mnemonic.
    PostMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    HWND menu = WaitForMenu();
    E2E_REQUIRE(menu != nullptr);
    Shot("system-menu");
    PostMessageA(menu, WM_CHAR, 'l', 0);
    E2E_CHECK(WaitUntil([&] { return sim.FindWindowTitled("ZuvoVuzozuzo Limits") != nullptr; }));
    Click(sim.FindWindowTitled("ZuvoVuzozuzo Limits"), kClose);
    E2E_CHECK(WaitUntil([&] { return sim.FindWindowTitled("ZuvoVuzozuzo Limits") == nullptr; }));
    E2E_CHECK(WaitUntil([] { return !MenuOpen(); }));
    // ("&About" shares its mnemonic with Wine's own "About Wine" there; the
    // About scenario sends its system command.)

    // Each command arrives only the way it is offered: "&Refresh Desktop" and
    // "&Limits" as menu commands, "&Restore" and "E&xit" as system commands do nothing.
    MoveSlider(main, kGfxSlider, 95);
    PostMessageA(main, WM_COMMAND, 253, 0);
    PostMessageA(main, WM_COMMAND, 254, 0);
    PostMessageA(main, WM_SYSCOMMAND, 250, 0);
    PostMessageA(main, WM_SYSCOMMAND, 252, 0);
    E2E_CHECK(Barrier(main));
    PumpFor(300);
    E2E_CHECK(sim.Running());
    E2E_CHECK(Visible(main));
    E2E_CHECK(sim.FindWindowTitled("ZuvoVuzozuzo Limits") == nullptr);
    E2E_CHECK_EQ(95, SliderPos(main, kGfxSlider));

    // "&Refresh Desktop" loads the settings again: the sliders go to the live
    // clocks, which changed underneath meanwhile.
    chip.Write32(0x680500, chip.WordFor(105, 0, 4));
    PostMessageA(main, WM_SYSCOMMAND, 253, 0);
    E2E_CHECK(WaitUntil([&] { return SliderPos(main, kGfxSlider) == static_cast<int>(chip.GfxMHz()); }));
    E2E_CHECK_EQ(GfxLabel(static_cast<int>(chip.GfxMHz())), Text(main, kGfxLabel));
    E2E_CHECK_EQ(std::string("ZuvoVuzozuzo for VANTA"), Text(main));
    E2E_CHECK(!Enabled(main, kApply));
    chip.Close();
    E2E_CHECK_EQ(0u, sim.Exit());
}
