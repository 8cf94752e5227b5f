// The About box: closes with "&OK" only (and when the utility exits).
#include "ui/win32/ui_win32.h"

#include "app_state.h"
#include "../res/resource.h"

static void EndAbout(HWND window)
{
    EndDialog(window, 0);
    gApp.ui.aboutDialog = nullptr;
}

INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        gApp.ui.aboutDialog = window;
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CONFIRM_OK)
            EndAbout(window);
        return TRUE;  // Esc's cancel command included: the box stays
    case WM_CLOSE:
    case WM_DESTROY:
        EndAbout(window);
        return TRUE;
    default:
        return FALSE;
    }
}
