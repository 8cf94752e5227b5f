// Arbolt.exe runs from the Run entry at every log-on: it must never hold the
// log-on up, so it shows nothing, asks nothing and ends as soon as the kept
// clocks are set.
#include "ui/win32/arbolt_entry.h"

#include <windows.h>

#include "settings/boot_restore.h"
#include "ui/start_switches.h"
#include "ui/win32/double_precision.h"
#include "ui/win32/setup_commands.h"

namespace {

// No system message box either: no "insert a disk" prompt for a drive
// that is not ready, no fault dialog if something goes wrong.
void SilenceSystemMessages()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

}  // namespace

int RunArbolt(const char* commandLine)
{
    SilenceSystemMessages();
    UseDoublePrecision();  // the same PLL words Velkor's apply writes
    // The installer's switches; any other tail is ignored.
    char companionPath[256];
    SetupSwitch setup = ParseSetupSwitch(CommandLineTail(commandLine), companionPath, sizeof companionPath);
    if (setup != SetupSwitch::None)
        return RunSetupCommand(setup, companionPath);
    return static_cast<int>(RestoreKeptClocks());
}
