#pragma once
// The companion's switches for the installer and the uninstaller: whether
// Velkor runs, whether this computer has a board Velkor drives, and the
// removal of the boot records. The installer calls them instead of copying
// the title rule, the board list or the display driver's key into its script.
#include <stdint.h>

enum class ArboltSwitch : uint32_t {
    None,       // the log-on restore
    Running,    // "-running", "/running": only say whether Velkor runs
    Uninstall,  // "-uninstall ["PATH"]": remove the boot records unless Velkor runs
    Board,      // "-board", "/board": only say whether a supported board answers
    // Begins with "-" or "/" but is none of the above, whole: the caller
    // meant a switch, so it gets no log-on restore and no removal it did
    // not ask for.
    BadUsage,
};

// Exit codes of the switches.
enum class ArboltOutcome : int {
    Done = 0,           // Velkor does not run; for "-uninstall" the records are gone; "-board": found
    NoBoard = 1,        // "-board": no supported board, or its registers cannot be reached
    VelkorRunning = 5,  // Velkor runs: nothing was changed (4 is arbolt-sim's bad set-up)
    BadUsage = 64,      // a malformed switch: neither the chip nor the registry was touched
};

// The whole word, in any case, after the program name (CommandLineTail());
// blanks may follow it, anything else makes it BadUsage. A tail that does not
// begin with "-" or "/" is no switch (None).
ArboltSwitch ParseArboltSwitch(const char* tail);

// As above; "-uninstall" may also be followed by one quoted path, the
// companion of the installation being removed, which the uninstaller names
// because it runs a copy of this program from elsewhere. The path goes to
// path ("" when none is given); an empty, unquoted, unterminated or
// too long one, or anything behind it, makes it BadUsage.
ArboltSwitch ParseArboltSwitch(const char* tail, char* path, uint32_t pathSize);
