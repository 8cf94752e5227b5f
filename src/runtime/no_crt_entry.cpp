// Where the shipped programs start. MinGW's own start-up code needs the C
// runtime DLL (msvcrt.dll), which Windows 95 does not have; this entry does the
// little of that code's work these programs need and calls WinMain as it did.
#include <windows.h>

#include "runtime/command_line.h"

// The linker's table of global constructors: -1, the constructors, 0.
extern "C" void (*__CTOR_LIST__[])();

namespace {

// How the starting program (the shell, a shortcut) asked the window to show.
int ShowFlag()
{
    STARTUPINFOA startup;
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

// The programs keep their globals constant-initialised; should one ever need
// a constructor, it still runs (last first, as MinGW runs them). Nothing here
// registers destructors: a global that needs one fails the link, as nothing
// provides atexit.
void RunGlobalConstructors()
{
    int count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    for (int i = count; i >= 1; --i)
        __CTOR_LIST__[i]();
}

}  // namespace

// The entry named to the linker (cmake/windows.cmake). Windows aligns the
// stack to 4 bytes only; GCC's code expects 16.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void NoCrtEntry()
{
    RunGlobalConstructors();
    // The tail points into the command line that GetCommandLineA keeps.
    char* tail = const_cast<char*>(CommandLineTail(GetCommandLineA()));
    int result = WinMain(GetModuleHandleA(NULL), NULL, tail, ShowFlag());
    ExitProcess(static_cast<UINT>(result));
}
