// The main window: the dialog procedure of template 101 and the operations
// around it. The procedure only dispatches; each message has its handler.
#include <windows.h>
#include <commctrl.h>

#include "../res/resource.h"
#include "settings/settings_store.h"
#include "ui/main_window_rules.h"
#include "ui/win32/logo_link.h"
#include "ui/win32/main_controls.h"
#include "ui/win32/main_window.h"
#include "ui/win32/subclass.h"
#include "ui/win32/tray.h"
#include "ui/win32/ui_win32.h"

namespace {

const UINT kRedrawEverything = RDW_UPDATENOW | RDW_ALLCHILDREN;
// Posted to itself at start: tell of a clock test that stopped the machine.
const UINT kUnfinishedClockTestMessage = WM_APP + 22;

HWND Control(int id)
{
    return GetDlgItem(MainWindow(), id);
}

// Everything on the screen is painted afresh: after a change of limits the
// slider bands of every window change, and after a refresh the user asked for it.
void InvalidateScreen()
{
    InvalidateRect(NULL, NULL, TRUE);
}

void HideToTray()
{
    SaveSettings();
    ShowWindow(MainWindow(), SW_HIDE);
}

void RunAboutBox()
{
    // The box may already run, opened from the other menu or inside a nested loop.
    if (gApp.ui.aboutDialog)
        return;
    DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_ABOUT), MainWindow(), AboutDialogProc, 0);
}

// A beep for what waits for something else to end (main_window_rules.h).
bool Refused(BusyAsk ask)
{
    if (!RefusedWhileBusy(gApp, ask))
        return false;
    MessageBeep(MB_ICONWARNING);
    return true;
}

void OpenClockTest()
{
    if (Refused(BusyAsk::OpenClockTest))
        return;
    RunClockTestDialog();
    RefreshTitleAndRanges();
    RefreshClockDisplay();
}

void RunLimitsDialog()
{
    if (Refused(BusyAsk::Limits))
        return;
    DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_LIMITS), MainWindow(), LimitsDialogProc, 0);
    InvalidateScreen();
    RefreshTitleAndRanges();
    RefreshClockDisplay();
}

void RefreshDesktop()
{
    LoadSettings();
    InvalidateScreen();
    RedrawWindow(GetDesktopWindow(), NULL, NULL, kRedrawEverything);
    RefreshTitleAndRanges();
    RefreshClockDisplay();
}

void ResetToDefaults()
{
    gApp.gfx.selected = gApp.gfx.defaultClock;
    gApp.mem.selected = gApp.mem.defaultClock;
    RefreshClockDisplay();
    // The button disables itself next; the focus must not stay on it.
    SetFocus(Control(IDC_CLOSE));
}

void RunCommand(MainCommand command)
{
    switch (command) {
    case MainCommand::Restore:
        RestoreMainWindow();
        break;
    case MainCommand::About:
        RunAboutBox();
        break;
    case MainCommand::Exit:
        CloseAllAndEnd();
        break;
    case MainCommand::RefreshDesktop:
        RefreshDesktop();
        break;
    case MainCommand::Limits:
        RunLimitsDialog();
        break;
    case MainCommand::Apply:
        if (!Refused(BusyAsk::Apply))
            RunApplyTransaction();
        break;
    case MainCommand::ClockTest:
        OpenClockTest();
        break;
    case MainCommand::Close:
        HideToTray();
        break;
    case MainCommand::ResetToDefaults:
        ResetToDefaults();
        break;
    case MainCommand::ResetOnRebootBox:
        gApp.resetOnReboot = IsDlgButtonChecked(MainWindow(), IDC_RESET_ON_REBOOT) == BST_CHECKED ? 1 : 0;
        break;
    case MainCommand::None:
        break;
    }
}

// ---- Message handlers ---------------------------------------------------

void OnInitDialog()
{
    gApp.ui.aboutDialog = nullptr;
    gApp.ui.transactionDialog = nullptr;
    gApp.ui.limitsDialog = nullptr;
    LoadWindowIcons();
    BuildMenus();
    CentreLogo();
    RefreshTitleAndRanges();
    RefreshClockDisplay();
    // The icon is added bare and at once given its picture and tip.
    NotifyTray(kTrayAdd, NULL, "NULL");
    NotifyTray(kTrayModify, static_cast<HICON>(gApp.ui.largeIcon), "Velkor");
    SubclassControl(Control(IDC_LOGO), LogoProc);
    // After the window is up: a message box here would come before it.
    PostMessageA(MainWindow(), kUnfinishedClockTestMessage, 0, 0);
}

void OnShowWindow()
{
    ArmHideCountdown(&gApp.hideCountdown);
}

void OnCommand(WPARAM wParam)
{
    RunCommand(CommandFromDialog(LOWORD(wParam)));
}

// FALSE: a system command of the dialog manager's (move, close, ...).
BOOL OnSysCommand(WPARAM wParam)
{
    MainCommand command = CommandFromSystemMenu(LOWORD(wParam));
    if (command == MainCommand::None)
        return FALSE;
    RunCommand(command);
    return TRUE;
}

void OnTimer(WPARAM timerId)
{
    if (timerId == kBootTimerId)
        OnBootTimer();
}

void OnHScroll(HWND source)
{
    if (source == Control(IDC_GFX_SLIDER))
        gApp.gfx.selected = static_cast<uint32_t>(SendMessageA(source, TBM_GETPOS, 0, 0));
    else if (source == Control(IDC_MEM_SLIDER))
        gApp.mem.selected = static_cast<uint32_t>(SendMessageA(source, TBM_GETPOS, 0, 0));
    RefreshClockDisplay();
}

// The link's colours come from the link code; other controls keep the
// dialog manager's.
INT_PTR OnCtlColorStatic(HDC dc, HWND control)
{
    if (control != Control(IDC_LINK))
        return FALSE;
    return OnLinkCtlColor(dc);
}

void OnTrayCallback(WPARAM iconId, LPARAM mouseMessage)
{
    switch (TrayCallbackAction(iconId, static_cast<uintptr_t>(mouseMessage))) {
    case TrayAction::Restore:
        RestoreMainWindow();
        break;
    case TrayAction::Menu:
        ShowTrayMenu();
        break;
    case TrayAction::None:
        break;
    }
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    gApp.ui.mainWindow = window;
    if (HideCountdownStep(&gApp.hideCountdown))
        ShowWindow(window, SW_HIDE);

    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        break;
    case WM_SHOWWINDOW:
        OnShowWindow();
        break;
    case WM_CLOSE:
        HideToTray();
        break;
    case WM_DESTROY:
        CloseAllAndEnd();
        break;
    case WM_COMMAND:
        OnCommand(wParam);
        break;
    case WM_SYSCOMMAND:
        if (!OnSysCommand(wParam))
            return FALSE;
        break;
    case WM_TIMER:
        OnTimer(wParam);
        break;
    case WM_HSCROLL:
        OnHScroll(reinterpret_cast<HWND>(lParam));
        break;
    case WM_SETCURSOR:
        OnLinkSetCursor();
        break;
    case WM_MOUSEMOVE:
        OnLinkMouseMove(lParam);
        break;
    case WM_LBUTTONDOWN:
        OnLinkClick();
        break;
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case kTrayCallbackMessage:
        OnTrayCallback(wParam, lParam);
        break;
    case kUnfinishedClockTestMessage:
        TellOfUnfinishedClockTest();
        break;
    case WM_QUERYENDSESSION:
        // Windows may end without another message: the test clock leaves the
        // chip now, and Windows may go on.
        StopClockTestForExit();
        SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            CloseAllAndEnd();
        break;
    default:
        return FALSE;
    }
    UpdateMainButtons();
    return TRUE;
}

// ---- Operations ---------------------------------------------------------

void LoadWindowIcons()
{
    HINSTANCE instance = Instance();
    gApp.ui.arrowCursor = LoadCursorA(NULL, IDC_ARROW);
    gApp.ui.handCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_HAND_CURSOR));
    SetCursor(static_cast<HCURSOR>(gApp.ui.arrowCursor));
    gApp.ui.smallIcon = LoadImageA(instance, MAKEINTRESOURCEA(IDI_VELKOR), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR);
    gApp.ui.largeIcon = LoadImageA(instance, MAKEINTRESOURCEA(IDI_VELKOR), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR);
    SendMessageA(MainWindow(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(gApp.ui.smallIcon));
    SendMessageA(MainWindow(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(gApp.ui.largeIcon));
}

void CentreLogo()
{
    HWND window = MainWindow();
    HWND logo = Control(IDC_LOGO);
    RECT client, logoRect, linkRect;
    GetClientRect(window, &client);
    GetWindowRect(logo, &logoRect);
    GetWindowRect(Control(IDC_LINK), &linkRect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&logoRect), 2);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&linkRect), 2);
    int32_t width = logoRect.right - logoRect.left;
    int32_t height = logoRect.bottom - logoRect.top;
    LogoPlace place = CentreLogoPlace(client.right - client.left, width, height, linkRect.top);
    MoveWindow(logo, place.x, place.y, width, height, TRUE);
}

void RestoreMainWindow()
{
    // What is left of a hidden start's countdown must not hide the window again.
    EndHideCountdown(&gApp.hideCountdown);
    LoadSettings();
    RefreshTitleAndRanges();
    RefreshClockDisplay();
    HWND window = MainWindow();
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    SetFocus(window);
}

void CloseAllAndEnd()
{
    // The clocks from before a clock test job go back before anything ends.
    StopClockTestForExit();
    // Each nested dialog loop then returns into its handler, which finishes
    // normally; an open transaction counts as declined.
    WindowRef* dialogs[] = {&gApp.ui.aboutDialog, &gApp.ui.transactionDialog, &gApp.ui.limitsDialog,
                            &gApp.ui.clockTestDialog};
    for (WindowRef* dialog : dialogs) {
        if (*dialog)
            EndDialog(static_cast<HWND>(*dialog), 0);
    }
    SaveSettings();
    EndDialog(MainWindow(), 0);
    NotifyTray(kTrayDelete, NULL, "NULL");
}
