#pragma once
// The start switches that the utility's command line tail (CommandLineTail())
// may begin with.
#include <stdint.h>

enum class StartSwitch : uint32_t {
    None,          // start with the window shown
    Hidden,        // "-q", "/q": start in the tray
    HiddenStored,  // "-s", "/s": start in the tray and set the kept boot clocks again
};

// Only the first two characters of the whole tail count, in any case: there
// is no splitting into words, so "/quiet" is "/q" and "x /q" is nothing.
StartSwitch ParseStartSwitch(const char* tail);
