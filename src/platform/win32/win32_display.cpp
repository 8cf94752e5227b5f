// The display mode reset that follows a GeForce clock change.
#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace {

typedef LONG(WINAPI* ChangeDisplaySettingsProc)(DEVMODEA* mode, DWORD flags);

}  // namespace

int Win32Display::ResetMode()
{
    // Looked up afresh each time rather than bound at start-up.
    HMODULE user32 = LoadLibraryA("USER32.DLL");
    if (!user32)
        return 0;
    FARPROC entry = GetProcAddress(user32, "ChangeDisplaySettingsA");
    if (!entry) {
        FreeLibrary(user32);
        return 0;
    }
    ChangeDisplaySettingsProc changeDisplaySettings =
        reinterpret_cast<ChangeDisplaySettingsProc>(reinterpret_cast<void*>(entry));
    LONG result = changeDisplaySettings(NULL, CDS_RESET);
    FreeLibrary(user32);
    return result == DISP_CHANGE_SUCCESSFUL ? 1 : 0;
}
