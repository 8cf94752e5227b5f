// Apply transaction: confirmation, write, keep-or-revert, boot-store timer.
#include "ui/win32/ui_win32.h"

void RunApplyTransaction() {}
void OnBootTimer() {}
INT_PTR CALLBACK ConfirmDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK KeepDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
