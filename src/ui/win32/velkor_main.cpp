// Velkor.exe: finds the board on the real machine. Without one it ends
// silently with exit code 1, before any window exists.
#include <windows.h>

#include "app_state.h"
#include "board/board_detect.h"
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    gApp.ui.instance = instance;
    InstallWin32Platform();
    if (!DetectBoard())
        return 1;
    CloseBoardDriver();
    return 0;
}
