// velkor-sim.exe: the utility on a simulated PC. The PCI bus and VELKOR.VXD
// are simulated as the environment variable VELKOR_SIM describes; the
// registry, the dialogs, the display, the version files and time are the real
// Win32 ones. The chip's register file is a named file mapping, so a test can
// prepare the chip before the start and read the PLL registers after an apply.
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "sim/sim_config.h"
#include "sim/sim_pc.h"
#include "ui/win32/main_window.h"

namespace {

const char kConfigVariable[] = "VELKOR_SIM";
const char kRegistersMappingName[] = "VelkorSimRegisters";
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

// The chip's register file: an existing mapping is taken as it is (a test
// prepared it); otherwise a new one is made and *created set.
uint8_t* MapChipRegisters(bool* created)
{
    *created = false;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kRegistersMappingName);
    if (!mapping) {
        mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, kRegisterWindowBytes,
                                     kRegistersMappingName);
        if (!mapping)
            return nullptr;
        *created = GetLastError() != ERROR_ALREADY_EXISTS;
    }
    // The handle stays open for the whole run: the mapping lives as long as
    // this process or a test holds it.
    return static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
}

// The registers that configuring the PC sets in the chip. A prepared chip
// keeps them.
const uint32_t kConfiguredRegisters[] = {kGfxPllOffset, kMemPllOffset, kStrapOffset, kMemConfigOffset};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    char configText[1024];
    DWORD length = GetEnvironmentVariableA(kConfigVariable, configText, sizeof(configText));
    if (length >= sizeof(configText))
        return ReportBadConfiguration("the set-up is longer than 1023 characters");
    if (length == 0)
        configText[0] = '\0';

    SimConfig config;
    char problem[200];
    if (!ParseSimConfig(configText, &config, problem, sizeof(problem)))
        return ReportBadConfiguration(problem);

    bool created = false;
    uint8_t* chipStorage = MapChipRegisters(&created);
    if (!chipStorage)
        return kExitRefused;  // as a machine whose driver cannot map the chip

    // Large (it carries its trace): never on the stack.
    static SimPc pc(chipStorage);
    uint32_t kept[sizeof(kConfiguredRegisters) / sizeof(kConfiguredRegisters[0])];
    for (size_t i = 0; i < sizeof(kept) / sizeof(kept[0]); ++i)
        kept[i] = pc.chip.Peek32(kConfiguredRegisters[i]);
    pc.Configure(config);
    if (!created) {
        for (size_t i = 0; i < sizeof(kept) / sizeof(kept[0]); ++i)
            pc.chip.Poke32(kConfiguredRegisters[i], kept[i]);
    }

    InstallWin32Platform();
    gApp.platform.ports = &pc.bus;
    gApp.platform.driver = &pc.driver;
    gApp.platform.physicalMemory = &pc.physicalMemory;
    return RunVelkor(instance, GetCommandLineA());
}
