#include "ui/win32/setup_commands.h"

#include <windows.h>

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

}  // namespace

int RunSetupCommand(SetupSwitch command)
{
    // A running Velkor could store new records right after they are gone,
    // and its files cannot be replaced: the caller must stop it first.
    if (VelkorRuns())
        return static_cast<int>(SetupOutcome::VelkorRunning);
    if (command == SetupSwitch::Uninstall) {
        // The uninstaller starts the installation's own companion, so this
        // program's file is the one a log-on entry of this installation names.
        char self[MAX_PATH];
        DWORD length = GetModuleFileNameA(NULL, self, sizeof self);
        if (length == 0 || length >= sizeof self)
            self[0] = '\0';
        RemoveBootRecords(self);
    }
    return static_cast<int>(SetupOutcome::Done);
}
