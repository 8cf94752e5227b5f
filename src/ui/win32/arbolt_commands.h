#pragma once
// The companion's answers to the installer and the uninstaller
// (ui/arbolt_switches.h): whether Velkor runs, whether a supported board
// answers, and the removal of the boot records. Nothing is shown; the exit
// code is the answer.
#include "ui/arbolt_switches.h"

// Requires the platform to be installed. companionPath is the path given
// to "-uninstall" ("" for none: this program's own file). Returns a ArboltOutcome.
int RunArboltCommand(ArboltSwitch command, const char* companionPath);
