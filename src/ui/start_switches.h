#pragma once
// The command line of the utility: the text after the program name, and the
// start switches that text may begin with.
#include <stdint.h>

enum class StartSwitch : uint32_t {
    None,          // start with the window shown
    Hidden,        // "-q", "/q": start in the tray
    HiddenStored,  // "-s", "/s": start in the tray and set the kept boot clocks again
};

// The tail of a full command line (GetCommandLineA()): what follows the
// program name, which ends at its closing quote when it begins with one and
// at the first blank or control character otherwise, with the blanks and
// control characters behind it skipped. Never null; "" when there is no tail.
const char* CommandLineTail(const char* commandLine);

// Only the first two characters of the whole tail count, in any case: there
// is no splitting into words, so "/quiet" is "/q" and "x /q" is nothing.
StartSwitch ParseStartSwitch(const char* tail);
