// Velkor.exe: the utility on the real machine, with the real PCI ports,
// VELKOR.VXD, registry and display.
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "ui/win32/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    InstallWin32Platform();
    return RunVelkor(instance, GetCommandLineA());
}
