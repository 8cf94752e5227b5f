// arbolt-sim.exe: Arbolt on the same simulated PC as velkor-sim.exe
// (sim/win32/sim_machine.h), so a test can keep clocks with one and restore them
// with the other.
#include <windows.h>

#include "sim/win32/sim_machine.h"
#include "settings/boot_restore.h"
#include "ui/win32/arbolt_entry.h"

namespace {

// Beyond Arbolt's own codes: a log-on program never shows a message box,
// not even for a set-up it cannot use.
const int kExitBadConfiguration = 4;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char problem[200];
    switch (InstallSimMachine(problem, sizeof(problem))) {
    case SimMachineSetup::BadConfiguration:
        return kExitBadConfiguration;
    case SimMachineSetup::NoRegisters:
        return static_cast<int>(RestoreOutcome::NoBoard);  // no usable mapping
    case SimMachineSetup::Ready:
        break;
    }
    return RunArbolt(GetCommandLineA());
}
