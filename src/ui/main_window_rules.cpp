#include "ui/main_window_rules.h"

#include "../res/resource.h"

const char kInstanceTitlePrefix[] = "ZuvoVuzozuzo for";
const char kInstanceMutexName[] = "OstraneVelkorInstance";

namespace {

const char* const kTitles[] = {
    "ZuvoVuzozuzo for NVIDIA",         // no board, or a kind outside the table
    "ZuvoVuzozuzo for TNT",            // TNT
    "ZuvoVuzozuzo for TNT2",           // TNT2
    "ZuvoVuzozuzo for Ultra-TNT2",     // UltraTNT2
    "ZuvoVuzozuzo for VANTA",          // Vanta
    "ZuvoVuzozuzo for TNT2 Value",     // TNT2Value
    "ZuvoVuzozuzo for Gravenor",       // Gravenor
    "ZuvoVuzozuzo for Gravenor PRO",   // GravenorPro
};

// The mouse messages the shell passes as the tray callback's lParam.
const uintptr_t kLeftDoubleClick = 0x203;  // WM_LBUTTONDBLCLK
const uintptr_t kRightButtonDown = 0x204;  // WM_RBUTTONDOWN

}  // namespace

const char* MainWindowTitle(BoardKind kind)
{
    uint32_t index = static_cast<uint32_t>(kind);
    if (index >= sizeof(kTitles) / sizeof(kTitles[0]))
        index = 0;
    return kTitles[index];
}

int IsInstanceTitle(const char* title)
{
    if (!title)
        return 0;
    for (int i = 0; i < kInstanceTitlePrefixLength; ++i) {
        // The title's NUL differs from every prefix character, so a short
        // title stops here. Letter for letter: another program's title that
        // only reads the same is not Velkor's window.
        if (title[i] != kInstanceTitlePrefix[i])
            return 0;
    }
    return 1;
}

MainButtonStates ComputeMainButtons(const AppState& app)
{
    MainButtonStates states;
    states.resetToDefaults =
        !(app.gfx.selected == app.gfx.defaultClock && app.mem.selected == app.mem.defaultClock);
    states.apply = !(app.gfx.selected == app.gfx.applied && app.mem.selected == app.mem.applied &&
                     app.resetOnReboot == app.resetOnRebootApplied);
    return states;
}

bool RefusedWhileBusy(const AppState& app, BusyAsk ask)
{
    const UiState& ui = app.ui;
    switch (ask) {
    case BusyAsk::Apply:
    case BusyAsk::Limits:
        return ui.clockTestRunning != 0;
    case BusyAsk::OpenClockTest:
        return ui.clockTestDialog || ui.limitsDialog || ui.applyRunning != 0;
    case BusyAsk::StartClockTest:
        return ui.clockTestRunning != 0 || ui.limitsDialog || ui.applyRunning != 0;
    }
    return true;
}

int HideCountdownStep(int32_t* countdown)
{
    if (*countdown <= kHideCountdownSpent)
        return 0;
    --*countdown;
    return 1;
}

void ArmHideCountdown(int32_t* countdown)
{
    if (*countdown == 1)
        *countdown = kHideCountdownArmed;
}

void EndHideCountdown(int32_t* countdown)
{
    if (*countdown > kHideCountdownSpent)
        *countdown = kHideCountdownSpent;
}

TrayAction TrayCallbackAction(uintptr_t iconId, uintptr_t mouseMessage)
{
    if (iconId != 1001)
        return TrayAction::None;
    if (mouseMessage == kLeftDoubleClick)
        return TrayAction::Restore;
    if (mouseMessage == kRightButtonDown)
        return TrayAction::Menu;
    return TrayAction::None;
}

MainCommand CommandFromDialog(uint32_t id)
{
    switch (id) {
    case IDM_RESTORE:
        return MainCommand::Restore;
    case IDM_ABOUT:
        return MainCommand::About;
    case IDM_EXIT:
        return MainCommand::Exit;
    case IDC_APPLY:
        return MainCommand::Apply;
    case IDC_CLOSE:
        return MainCommand::Close;
    case IDC_RESET:
        return MainCommand::ResetToDefaults;
    case IDC_RESET_ON_REBOOT:
        return MainCommand::ResetOnRebootBox;
    default:
        return MainCommand::None;
    }
}

MainCommand CommandFromSystemMenu(uint32_t id)
{
    switch (id) {
    case IDM_ABOUT:
        return MainCommand::About;
    case IDM_REFRESH_DESKTOP:
        return MainCommand::RefreshDesktop;
    case IDM_LIMITS:
        return MainCommand::Limits;
    case IDM_CLOCK_TEST:
        return MainCommand::ClockTest;
    default:
        return MainCommand::None;
    }
}

LogoPlace CentreLogoPlace(int32_t clientWidth, int32_t logoWidth, int32_t logoHeight, int32_t linkTop)
{
    LogoPlace place;
    place.x = (clientWidth - logoWidth) / 2;
    place.y = (linkTop - logoHeight) / 2 + 2;
    return place;
}

void CopyTrayTip(char tip[kTrayTipBytes], const char* text)
{
    int i = 0;
    if (text) {
        for (; i < kTrayTipBytes - 1 && text[i]; ++i)
            tip[i] = text[i];
    }
    // The rest of the field is cleared too: the shell gets no stale bytes.
    for (; i < kTrayTipBytes; ++i)
        tip[i] = '\0';
}
