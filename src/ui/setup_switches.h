#pragma once
// The companion's switches for the installer and the uninstaller: whether
// Velkor runs, and the removal of the boot records. The installer calls them
// instead of copying the title rule or the display driver's key into its script.
#include <stdint.h>

enum class SetupSwitch : uint32_t {
    None,       // the log-on restore
    Running,    // "-running", "/running": only say whether Velkor runs
    Uninstall,  // "-uninstall", "/uninstall": remove the boot records unless Velkor runs
};

// Exit codes of the two switches.
enum class SetupOutcome : int {
    Done = 0,           // Velkor does not run; for "-uninstall" the records are gone
    VelkorRunning = 5,  // Velkor runs: nothing was changed (4 is arbolt-sim's bad set-up)
};

// The whole word, in any case, after the program name (CommandLineTail());
// blanks may follow it, anything else makes it no switch.
SetupSwitch ParseSetupSwitch(const char* tail);
