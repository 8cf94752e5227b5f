#pragma once
// The decisions of the main window and the start-up that do not need a
// window system: titles, the running-instance match, button states, the
// hidden-start countdown, what a tray callback or a command asks for, and
// where the logo goes. The Win32 dialog code only carries them out.
#include <stdint.h>

#include "app_state.h"

// Every main window title begins with this; a running instance is found by it.
extern const char kInstanceTitlePrefix[];  // "ZuvoVuzozuzo for"
const int kInstanceTitlePrefixLength = 16;
// A title is read into a buffer of this size (at most 31 characters).
const int kInstanceTitleBytes = 32;
// Held by a running Velkor for its whole run, from before its window exists;
// the installer's questions look for it too.
extern const char kInstanceMutexName[];  // "OstraneVelkorInstance"

// "ZuvoVuzozuzo for TNT2" and so on; "ZuvoVuzozuzo for NVIDIA" for any value
// outside 1..7.
const char* MainWindowTitle(BoardKind kind);

// 1 when the first 16 characters of a window title are exactly
// "ZuvoVuzozuzo for", case included; a shorter title never matches.
int IsInstanceTitle(const char* title);

struct MainButtonStates {
    bool resetToDefaults;  // 1106: off while both sliders sit at the default clocks
    bool apply;            // 1101: off while nothing differs from the last apply
};
MainButtonStates ComputeMainButtons(const AppState& app);

// The hidden start. The entry sets the countdown to 1; the first showing of
// the window turns the 1 into kHideCountdownArmed; from then on every message
// hides the window and counts down until kHideCountdownSpent, which is final.
const int32_t kHideCountdownArmed = 12;
const int32_t kHideCountdownSpent = 2;
// At the head of every message: 1 when the window is to be hidden now.
int HideCountdownStep(int32_t* countdown);
// WM_SHOWWINDOW: arms the countdown of a hidden start, only from 1.
void ArmHideCountdown(int32_t* countdown);
// The user asked for the window (Restore, a second start): whatever is left
// of the countdown must not hide it again.
void EndHideCountdown(int32_t* countdown);

// The tray icon's callback: wParam the icon identifier, lParam the mouse message.
enum class TrayAction : uint32_t { None, Restore, Menu };
TrayAction TrayCallbackAction(uintptr_t iconId, uintptr_t mouseMessage);

// What a command of the main window asks for.
enum class MainCommand : uint32_t {
    None,  // handled by doing nothing (Esc's cancel command among them)
    Restore,
    About,
    Exit,
    RefreshDesktop,
    Limits,
    Apply,
    Close,
    ResetToDefaults,
    ResetOnRebootBox,
    ClockTest,
};
// WM_COMMAND: tray menu choices, buttons and the check box.
MainCommand CommandFromDialog(uint32_t id);
// WM_SYSCOMMAND: the four commands added to the system menu. None means the
// message is left to the dialog manager (move, close and the rest).
MainCommand CommandFromSystemMenu(uint32_t id);

// What is refused while something else has the chip or the limits: a clock
// test job holds the chip and searches under the limits, an apply
// transaction's dialogs hold the clocks it may write back, and the limits
// dialog changes the range a search would climb in.
enum class BusyAsk : uint32_t {
    Apply,           // "&Apply": not during a clock test job
    Limits,          // the limits dialog: not during a clock test job
    OpenClockTest,   // "&Test Clocks...": one at a time, not in an apply or beside the limits dialog
    StartClockTest,  // "&Test", "&Find Highest": not beside a job, an apply or the limits dialog
};
bool RefusedWhileBusy(const AppState& app, BusyAsk ask);

// Where the logo control goes: centred across the client area and, 2 pixels
// lower, in the space above the link. Signed division, truncating toward zero.
struct LogoPlace {
    int32_t x;
    int32_t y;
};
LogoPlace CentreLogoPlace(int32_t clientWidth, int32_t logoWidth, int32_t logoHeight, int32_t linkTop);

// The tray tip: at most 63 characters and a terminating NUL in the 64-byte field.
const int kTrayTipBytes = 64;
void CopyTrayTip(char tip[kTrayTipBytes], const char* text);
