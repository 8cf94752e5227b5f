// The single-instance rule: the first start claims a named mutex for its whole
// run; a later start finds the running instance by its main window's title
// and asks it to show itself as if its tray icon had been double-clicked.
// Only a start that waits for the claim looks at windows at all, and only at
// dialog windows: other programs' windows never get Velkor's message.
#include "ui/win32/instance.h"

#include <windows.h>

#include "ui/main_window_rules.h"
#include "ui/win32/tray.h"

namespace {

// A start that lost the claim waits this long for the winner's window: the
// winner may still be finding its board.
const DWORD kWindowWaitMilliseconds = 10000;
const DWORD kWindowPollMilliseconds = 100;

const LPARAM kLeftDoubleClick = 0x203;

// The main window is a dialog made from a template.
const char kDialogClass[] = "#32770";

bool IsDialogWindow(HWND window)
{
    char className[sizeof kDialogClass + 1];
    className[0] = '\0';
    GetClassNameA(window, className, sizeof(className));
    return lstrcmpA(className, kDialogClass) == 0;
}

BOOL CALLBACK NoteInstanceWindow(HWND window, LPARAM found)
{
    char title[kInstanceTitleBytes];
    title[0] = '\0';
    GetWindowTextA(window, title, sizeof(title));
    if (!IsInstanceTitle(title) || !IsDialogWindow(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The first top-level dialog window titled as a main window, or NULL.
HWND FindInstanceWindow()
{
    HWND found = NULL;
    EnumWindows(NoteInstanceWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A window titled as a main window is told to show itself: 1 when found.
int ShowInstanceWindow()
{
    HWND window = FindInstanceWindow();
    if (!window)
        return 0;
    // Synchronous: the other instance has reloaded its settings and shown its
    // window before this one goes away.
    SendMessageA(window, kTrayCallbackMessage, kTrayIconId, kLeftDoubleClick);
    return 1;
}

// Another start holds the claim. Its window is asked to show itself once it
// appears; if that start ends first without a window, the claim passes to
// this one (an abandoned mutex is handed to the waiter) and it runs instead.
int WaitForClaimHolder(HANDLE claim)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (ShowInstanceWindow()) {
            CloseHandle(claim);
            return 1;
        }
        DWORD waited = WaitForSingleObject(claim, kWindowPollMilliseconds);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
            return 0;  // the claim is ours now and stays held: this start is the instance
        if (GetTickCount() - start >= kWindowWaitMilliseconds) {
            CloseHandle(claim);
            return 1;  // it runs but shows no window: still only one instance
        }
    }
}

}  // namespace

int FindRunningInstance()
{
    // Two starts at the same moment both find no window; only one of them
    // can create the mutex. The handle is never closed by the winner: the
    // system releases it when the process ends, however it ends.
    HANDLE claim = CreateMutexA(NULL, TRUE, kInstanceMutexName);
    if (claim && GetLastError() == ERROR_ALREADY_EXISTS)
        return WaitForClaimHolder(claim);
    if (claim)
        return 0;  // claimed: whatever windows exist belong to other programs
    // No claim could be made: the window is the only sign of another instance.
    return ShowInstanceWindow();
}
