#include "sim/win32/sim_machine.h"

#include "platform/win32/win32_platform.h"
// After the seams, so that GetSystemDirectory keeps its plain name.
#include "app_state.h"
#include "sim/sim_config.h"
#include "sim/sim_pc.h"

const char kSimConfigVariable[] = "VELKOR_SIM";
const char kSimRegistersMapping[] = "VelkorSimRegisters";
const unsigned kSimHangExitCode = 9;

namespace {

// The chip's register file: an existing mapping is taken as it is (a test
// prepared it, or the other sim program left it); otherwise a new one is
// made and *created set.
uint8_t* MapChipRegisters(bool* created)
{
    *created = false;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kSimRegistersMapping);
    if (!mapping) {
        mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, kRegisterWindowBytes,
                                     kSimRegistersMapping);
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
const int kConfiguredCount = sizeof(kConfiguredRegisters) / sizeof(kConfiguredRegisters[0]);

// The simulated machine stopped responding: nothing more runs, nothing is
// cleaned up or saved (no code of the program runs again), just as when
// the user presses reset.
void EndAsAResetWould(void*)
{
    ExitProcess(kSimHangExitCode);
}

}  // namespace

SimMachineSetup InstallSimMachine(char* problem, int problemSize)
{
    char configText[1024];
    DWORD length = GetEnvironmentVariableA(kSimConfigVariable, configText, sizeof(configText));
    if (length >= sizeof(configText)) {
        lstrcpynA(problem, "the set-up is longer than 1023 characters", problemSize);
        return SimMachineSetup::BadConfiguration;
    }
    if (length == 0)
        configText[0] = '\0';

    SimConfig config;
    if (!ParseSimConfig(configText, &config, problem, problemSize))
        return SimMachineSetup::BadConfiguration;

    bool created = false;
    uint8_t* chipStorage = MapChipRegisters(&created);
    if (!chipStorage)
        return SimMachineSetup::NoRegisters;

    // Large (it carries its trace): never on the stack.
    static SimPc pc(chipStorage);
    uint32_t kept[kConfiguredCount];
    for (int i = 0; i < kConfiguredCount; ++i)
        kept[i] = pc.chip.Peek32(kConfiguredRegisters[i]);
    ApplySimConfig(&pc, config);
    if (!created) {
        for (int i = 0; i < kConfiguredCount; ++i)
            pc.chip.Poke32(kConfiguredRegisters[i], kept[i]);
    }

    // The video memory and what it held at the last write, committed by
    // Windows page by page as the clock test touches it.
    const uint32_t videoBytes = SimVideoMemoryMiB(config) << 20;
    void* video = VirtualAlloc(NULL, 2 * videoBytes, MEM_COMMIT, PAGE_READWRITE);
    pc.videoBlocks.SetStorage(static_cast<uint32_t*>(video), video ? videoBytes : 0);
    pc.videoBlocks.SetHangHook(EndAsAResetWould, nullptr);

    InstallWin32Platform(&gApp.platform);
    gApp.platform.ports = &pc.bus;
    gApp.platform.driver = &pc.driver;
    gApp.platform.physicalMemory = &pc.physicalMemory;
    gApp.platform.videoBlocks = &pc.videoBlocks;
    gApp.platform.render = &pc.render;
    return SimMachineSetup::Ready;
}
