#include "ui/win32/arbolt_commands.h"

#include <windows.h>

#include "app_state.h"
#include "board/board_detect.h"
#include "settings/boot_records_removal.h"
#include "ui/main_window_rules.h"

namespace {

// Velkor holds its instance mutex from before its window exists until its
// process ends, hidden in the tray or not. Asking only for the mutex keeps
// USER32 out of Arbolt.exe, which at every log-on starts faster without it.
int VelkorRuns()
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName);
    if (!mutex)
        return 0;
    CloseHandle(mutex);
    return 1;
}

// The setup asks before the components page, so that a user without a
// board hears it then and not from a Velkor that ends without a word. The
// same detection as Velkor's start gives the same answer.
int BoardAnswers()
{
    int found = DetectBoard();
    CloseBoardDriver();  // a driver that opened but refused the mapping too
    return found;
}

}  // namespace

int RunArboltCommand(ArboltSwitch command, const char* companionPath)
{
    if (command == ArboltSwitch::Board) {
        // A running Velkor has found its board already.
        if (VelkorRuns() || BoardAnswers())
            return static_cast<int>(ArboltOutcome::Done);
        return static_cast<int>(ArboltOutcome::NoBoard);
    }
    // A running Velkor could store new records right after they are gone,
    // and its files cannot be replaced: the caller must stop it first.
    if (VelkorRuns())
        return static_cast<int>(ArboltOutcome::VelkorRunning);
    if (command == ArboltSwitch::Uninstall) {
        // The uninstaller names the installation's companion, as it runs a
        // copy of this program that works even when the installed one is
        // gone; without a name, this program's own file is the one a log-on
        // entry of this installation names.
        char self[256];
        if (!companionPath || !companionPath[0]) {
            if (!gApp.platform.system->GetProgramPath(self, sizeof self))
                self[0] = '\0';
            companionPath = self;
        }
        RemoveBootRecords(companionPath);
    }
    return static_cast<int>(ArboltOutcome::Done);
}
