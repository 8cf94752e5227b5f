// Arbolt.exe: sets the kept clocks again at log-on on the real machine, with
// the real PCI ports, VELKOR.VXD, registry and display.
#include <windows.h>

#include "platform/win32/win32_platform.h"
// After the seams, so that GetSystemDirectory keeps its plain name.
#include "app_state.h"
#include "ui/win32/arbolt_entry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    InstallWin32Platform(&gApp.platform);
    return RunArbolt(GetCommandLineA());
}
