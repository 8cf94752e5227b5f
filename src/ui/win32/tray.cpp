// The notification-area icon and the two menus of the main window.
#include "ui/win32/tray.h"

#include <windows.h>
#include <shellapi.h>
#include <stddef.h>

#include "../res/resource.h"
#include "ui/main_window_rules.h"
#include "ui/win32/window_handles.h"

namespace {

// The first version of the shell's notification-icon record, the only one
// the shell of the Windows 95/98 line accepts. The compiler's headers declare
// a later, longer record; this one is laid out by hand to stay 88 bytes.
struct TrayRecordV1 {
    DWORD size;
    HWND window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    HICON icon;
    char tip[kTrayTipBytes];
};
static_assert(sizeof(TrayRecordV1) == 88, "the shell checks the size of the first record");
static_assert(offsetof(TrayRecordV1, tip) == offsetof(NOTIFYICONDATAA, szTip), "same layout as the shell's");

}  // namespace

void NotifyTray(DWORD action, HICON icon, const char* tip)
{
    TrayRecordV1 record;
    record.size = sizeof(record);
    record.window = MainWindow();
    record.id = kTrayIconId;
    record.flags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.callbackMessage = kTrayCallbackMessage;
    record.icon = icon;
    CopyTrayTip(record.tip, tip);
    Shell_NotifyIconA(action, reinterpret_cast<NOTIFYICONDATAA*>(&record));
}

void BuildMenus()
{
    HMENU systemMenu = GetSystemMenu(MainWindow(), FALSE);
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, NULL);
    AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, "&About");
    AppendMenuA(systemMenu, MF_STRING, IDM_LIMITS, "&Limits");
    AppendMenuA(systemMenu, MF_STRING, IDM_REFRESH_DESKTOP, "&Refresh Desktop");
    AppendMenuA(systemMenu, MF_STRING, IDM_CLOCK_TEST, "&Test Clocks...");

    HMENU trayMenu = CreatePopupMenu();
    AppendMenuA(trayMenu, MF_STRING, IDM_RESTORE, "&Restore");
    AppendMenuA(trayMenu, MF_STRING, IDM_ABOUT, "&About");
    AppendMenuA(trayMenu, MF_STRING, IDM_EXIT, "E&xit");
    gApp.ui.trayMenu = trayMenu;
}

void ShowTrayMenu()
{
    POINT cursor;
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the posted message afterwards lets it close on the first click.
    SetForegroundWindow(MainWindow());
    TrackPopupMenu(static_cast<HMENU>(gApp.ui.trayMenu), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, MainWindow(),
                   NULL);
    PostMessageA(MainWindow(), WM_USER, 0, 0);
}
