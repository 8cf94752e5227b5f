#pragma once
// The companion's answers to the installer and the uninstaller
// (ui/setup_switches.h): whether Velkor runs, and the removal of the boot
// records. Nothing is shown; the exit code is the answer.
#include "ui/setup_switches.h"

// Requires the platform to be installed. Returns a SetupOutcome.
int RunSetupCommand(SetupSwitch command);
