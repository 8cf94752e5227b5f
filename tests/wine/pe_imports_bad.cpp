// A program neither Windows 98 nor a 486 could run, for the checkers' own
// tests: console subsystem, version 5.1 (set by the link), a W function and
// a DLL outside the allowed set; built for the Pentium Pro, it compares two
// doubles (FCOMI) and picks the larger of two ints (CMOVcc).
#include <windows.h>

#include <mmsystem.h>

int main(int argc, char** argv)
{
    HMODULE module = LoadLibraryW(L"none.dll");
    double seconds = timeGetTime() * 0.001;
    int larger = argc > static_cast<int>(seconds) ? argc : static_cast<int>(seconds);
    return module ? 0 : (seconds > argc * 1.5) + larger + (argv[0][0] == 'x');
}
