// The utility's run: start switches, the single-instance rule, the board,
// the settings, and the main window until the user exits.
#include "ui/win32/velkor_entry.h"

#include <windows.h>
#include <commctrl.h>

#include "../res/resource.h"
#include "board/board_detect.h"
#include "runtime/command_line.h"
#include "settings/settings_store.h"
#include "ui/start_switches.h"
#include "ui/win32/double_precision.h"
#include "ui/win32/instance.h"
#include "ui/win32/main_window.h"
#include "ui/win32/ui_win32.h"

namespace {

const int kExitNormal = 0;
const int kExitRefused = 1;

// The dialogs use trackbars and up-down controls. Windows 98 registers
// these classes only when the program asks for them.
void RegisterCommonControls()
{
    InitCommonControls();
}

}  // namespace

int RunVelkor(HINSTANCE instance, const char* commandLine)
{
    UseDoublePrecision();
    StartSwitch startSwitch = ParseStartSwitch(CommandLineTail(commandLine));
    gApp.hideCountdown = startSwitch == StartSwitch::None ? 0 : 1;
    // "-s" in the Startup folder sets the kept boot clocks again at log-on;
    // the settings load takes the flag and clears it.
    gApp.applyStoredAtStart = startSwitch == StartSwitch::HiddenStored ? 1 : 0;
    gApp.ui.instance = instance;

    if (FindRunningInstance())
        return kExitRefused;
    if (!DetectBoard()) {
        CloseBoardDriver();  // a driver that opened but refused the mapping
        return kExitRefused;
    }
    LoadSettings();

    RegisterCommonControls();
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), NULL, MainDialogProc, 0);
    CloseBoardDriver();
    // A window that could not be made is no normal run.
    return result == -1 ? kExitRefused : kExitNormal;
}
