// Arbolt.exe runs from the Run entry at every log-on: it must never hold the
// log-on up, so it shows nothing, asks nothing and ends as soon as the kept
// clocks are set.
#include "ui/win32/arbolt_entry.h"

#include <windows.h>

#include "runtime/command_line.h"
#include "settings/boot_restore.h"
#include "ui/win32/double_precision.h"
#include "ui/win32/arbolt_commands.h"

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
    // The installer's switches; a tail that is no switch is ignored. A
    // malformed switch ends here, before the chip or the registry is
    // touched: its caller must not read "done" from a log-on restore.
    char companionPath[256];
    ArboltSwitch setup = ParseArboltSwitch(CommandLineTail(commandLine), companionPath, sizeof companionPath);
    if (setup == ArboltSwitch::BadUsage)
        return static_cast<int>(ArboltOutcome::BadUsage);
    if (setup != ArboltSwitch::None)
        return RunArboltCommand(setup, companionPath);
    return static_cast<int>(RestoreKeptClocks());
}
