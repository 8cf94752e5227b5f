#pragma once
// Plain text helpers for the settings people write by hand (a board named
// "TNT2" or "0x0028", the simulated PC's key=value pairs), kept on the ground
// floor so that the program and the simulator read such text the same way.
// ASCII only: no locale, nothing from the C runtime.
#include <stdint.h>

// Equal but for the case of ASCII letters.
bool EqualIgnoringCase(const char* a, const char* b);

// A whole number as people write it: decimal, or hexadecimal after "0x".
// 1 with *value set when the whole text is such a number of at most 32 bits.
int ParseUnsigned(const char* text, uint32_t* value);
