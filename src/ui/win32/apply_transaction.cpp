// Apply transaction: the two dialogs and the two timers around the portable
// sequence in ui/apply_rules.
#include "ui/win32/ui_win32.h"

#include "app_state.h"
#include "../res/resource.h"
#include "ui/apply_rules.h"
#include "ui/win32/main_controls.h"
#include "ui/win32/window_handles.h"

static_assert(kBootTimerId == kBootTimer && kKeepTimerId == kKeepTimer, "one pair of timer numbers");
static_assert(IDC_CONFIRM_OK == kCommandAccept && IDC_CLOSE == kCommandDecline, "dialog buttons");

namespace {

class Win32ApplyDialogs final : public ApplyDialogs {
public:
    void RunConfirmation() override
    {
        DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_CONFIRM), MainWindow(), ConfirmDialogProc, 0);
    }
    void RunKeepOrRevert() override
    {
        DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_KEEP), MainWindow(), KeepDialogProc, 0);
    }
    uintptr_t StartBootTimer() override
    {
        return SetTimer(MainWindow(), kBootTimerId, kBootTimerMilliseconds, NULL);
    }
    void StopBootTimer(uintptr_t identifier) override { KillTimer(MainWindow(), identifier); }
    void RepaintScreen() override
    {
        // A new PLL word can leave garbage on every window, not only ours.
        InvalidateRect(NULL, NULL, TRUE);
        RedrawWindow(GetDesktopWindow(), NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    void ShowRestoredMessage() override
    {
        MessageBoxA(NULL, "Original settings have been restored.", "Restore ZuvoVuzozuzo", MB_ICONINFORMATION);
    }
    void ShowClocks(bool focusClose) override
    {
        RefreshClockDisplay();
        if (focusClose)
            SetFocus(GetDlgItem(MainWindow(), IDC_CLOSE));
    }

private:
};

}  // namespace

void RunApplyTransaction()
{
    Win32ApplyDialogs dialogs;
    RunApply(&dialogs);
}

void OnBootTimer()
{
    Win32ApplyDialogs dialogs;
    RunBootStore(&dialogs);
}

void RunDueBootStore()
{
    Win32ApplyDialogs dialogs;
    RunBootStoreIfDue(&dialogs);
}

static void EndTransactionDialog(HWND window)
{
    EndDialog(window, 0);
    gApp.ui.transactionDialog = nullptr;
}

static void ShowConfirmedClocks(HWND window)
{
    char text[128];
    wsprintfA(text, "Graphics Clock --------> %d MHz", gApp.gfx.selected);
    SetWindowTextA(GetDlgItem(window, IDC_CONFIRM_GFX), text);
    wsprintfA(text, "Memory Clock ----------> %d MHz", gApp.mem.selected);
    SetWindowTextA(GetDlgItem(window, IDC_CONFIRM_MEM), text);
}

INT_PTR CALLBACK ConfirmDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        ConfirmBegin();
        ShowConfirmedClocks(window);
        gApp.ui.transactionDialog = window;
        return TRUE;
    case WM_COMMAND:
        if (ConfirmCommandEnds(LOWORD(wParam)))
            EndTransactionDialog(window);
        return TRUE;
    case WM_CLOSE:
    case WM_DESTROY:
        EndTransactionDialog(window);
        return TRUE;
    default:
        return FALSE;
    }
}

static void StopKeepTimer(HWND window)
{
    KillTimer(window, gApp.ui.keepTimer);
}

INT_PTR CALLBACK KeepDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        gApp.ui.transactionDialog = window;
        KeepBegin();
        gApp.ui.keepTimer = SetTimer(window, kKeepTimerId, kKeepTimerMilliseconds, NULL);
        return TRUE;
    case WM_COMMAND:
        if (KeepCommandEnds(LOWORD(wParam))) {
            StopKeepTimer(window);
            EndTransactionDialog(window);
        }
        return TRUE;
    case WM_TIMER:
        if (KeepTimerEnds(wParam)) {
            StopKeepTimer(window);
            EndTransactionDialog(window);
        }
        return TRUE;
    case WM_CLOSE:
    case WM_DESTROY:
        StopKeepTimer(window);
        EndTransactionDialog(window);
        return TRUE;
    default:
        return FALSE;
    }
}
