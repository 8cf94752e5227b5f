// velkor-sim.exe: the utility on a simulated PC (sim/win32/sim_machine.h): the
// PCI bus and VELKOR.VXD as VELKOR_SIM describes them, the chip's registers
// in the mapping "VelkorSimRegisters", everything else real Win32.
#include <windows.h>

#include "sim/win32/sim_machine.h"
#include "ui/win32/velkor_entry.h"

namespace {

const int kExitBadConfiguration = 2;
const int kExitRefused = 1;

// Ends the run when VELKOR_SIM cannot be used; the one place this program
// talks to the user on its own.
int ReportBadConfiguration(const char* problem)
{
    char text[320];
    wsprintfA(text, "VELKOR_SIM: %s", problem);
    MessageBoxA(NULL, text, "velkor-sim", MB_OK | MB_ICONSTOP);
    return kExitBadConfiguration;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    char problem[200];
    switch (InstallSimMachine(problem, sizeof(problem))) {
    case SimMachineSetup::BadConfiguration:
        return ReportBadConfiguration(problem);
    case SimMachineSetup::NoRegisters:
        return kExitRefused;  // as a machine whose driver cannot map the chip
    case SimMachineSetup::Ready:
        break;
    }
    return RunVelkor(instance, GetCommandLineA());
}
