#pragma once
// The text a program was started with, after its own name: what WinMain
// receives, and what the programs read their switches from.

// The tail of a full command line (GetCommandLineA()): what follows the
// program name, which ends at its closing quote when it begins with one and
// at the first blank or control character otherwise, with the blanks and
// control characters behind it skipped. Never null; "" when there is no tail.
const char* CommandLineTail(const char* commandLine);
