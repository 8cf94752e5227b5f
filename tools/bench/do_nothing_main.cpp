// A Win32 program of the same build that does nothing: the yardstick for
// Arbolt.exe's start-to-exit time (scripts/bench-arbolt.sh). It starts as
// Arbolt.exe does, without the C runtime.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
