#pragma once
// Arbolt.exe's run, shared by the program on the real machine and
// arbolt-sim.exe: the full command line in, the exit code out
// (RestoreOutcome, settings/boot_restore.h).
int RunArbolt(const char* commandLine);
