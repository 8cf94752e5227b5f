#pragma once
// Velkor.exe's run, shared by the program on the real machine and
// velkor-sim.exe (velkor_entry.cpp): the full command line in, the exit code out
// (1 refused, 0 after a normal run).
#include <windows.h>

int RunVelkor(HINSTANCE instance, const char* commandLine);
