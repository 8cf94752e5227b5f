#pragma once
// The simulated PC of velkor-sim.exe and arbolt-sim.exe, set up the same way
// for both so that a test can store kept clocks with one and restore them
// with the other: the PCI bus, VELKOR.VXD and the DPMI mapping are simulated
// as the environment variable VELKOR_SIM describes; the registry, the display,
// the version files and time are the real Win32 ones; the clock test's video
// memory is the simulated board's. The chip's register file is the named
// file mapping "VelkorSimRegisters", so a test can prepare the chip before a
// start and read the PLL registers afterwards.

enum class SimMachineSetup {
    Ready,             // gApp.platform runs on the simulated PC
    BadConfiguration,  // VELKOR_SIM cannot be used; the problem is described
    NoRegisters,       // the register file could not be mapped
};

extern const char kSimConfigVariable[];     // "VELKOR_SIM"
extern const char kSimRegistersMapping[];   // "VelkorSimRegisters"
// The exit code of a run whose simulated machine stopped (a clock above
// memhang= or gfxhang= while the clock test used the video memory).
extern const unsigned kSimHangExitCode;     // 9

// Installs the Win32 platform with the simulated ports, kernel driver, DPMI
// mapping and video memory in place of the real ones. On BadConfiguration a NUL-terminated description
// is left in problem (cut to problemSize); nothing is shown to the user, the
// caller decides how to end.
SimMachineSetup InstallSimMachine(char* problem, int problemSize);
