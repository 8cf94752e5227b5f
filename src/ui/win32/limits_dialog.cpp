// The limits dialog: a working copy of the four slider limits, changed by the
// spin buttons and by typed values, taken only by "&Apply".
#include "ui/win32/ui_win32.h"

#include <commctrl.h>

#include "app_state.h"
#include "../res/resource.h"
#include "settings/settings_store.h"
#include "ui/limits_rules.h"

static LimitsWork work;
static uint32_t editUnderValidation;

static HWND Dialog()
{
    return static_cast<HWND>(gApp.ui.limitsDialog);
}

static void ShowLimitValue(uint32_t editId, uint32_t value)
{
    char text[32];
    wsprintfA(text, "%d", value);
    SetWindowTextA(GetDlgItem(Dialog(), editId), text);
}

static void ShowLimitValues()
{
    ShowLimitValue(kLimitEditGfxMin, work.workGfxMin);
    ShowLimitValue(kLimitEditGfxMax, work.workGfxMax);
    ShowLimitValue(kLimitEditMemMin, work.workMemMin);
    ShowLimitValue(kLimitEditMemMax, work.workMemMax);
}

// The field shows its working value afterwards, whether the text was taken or not.
static void ValidateLimitEdit()
{
    uint32_t* value = LimitOfEdit(&work, editUnderValidation);
    if (!value)
        return;
    char text[kLimitTextChars + 1];
    text[0] = '\0';
    GetWindowTextA(GetDlgItem(Dialog(), editUnderValidation), text, sizeof text);
    TakeTypedLimit(&work, editUnderValidation, text);
    ShowLimitValue(editUnderValidation, *value);
}

static void UpdateLimitsButtons()
{
    EnableWindow(GetDlgItem(Dialog(), IDC_RESET), LimitsResetEnabled(work));
    EnableWindow(GetDlgItem(Dialog(), IDC_APPLY), LimitsApplyEnabled(work));
}

static void EndLimits()
{
    EndDialog(Dialog(), 0);
    gApp.ui.limitsDialog = nullptr;
}

static void OnLimitsCommand(WORD id, WORD code)
{
    switch (id) {
    case IDC_APPLY:
        TakeLimits(work);
        SaveSettings();
        EndLimits();
        break;
    case IDC_CLOSE:
        EndLimits();
        break;
    case IDC_RESET:
        work = DefaultLimits();
        ShowLimitValues();
        SetFocus(GetDlgItem(Dialog(), IDC_CLOSE));
        break;
    }
    // A typed value counts once its field loses the focus.
    if (code == EN_SETFOCUS) {
        editUnderValidation = id;
    } else if (code == EN_KILLFOCUS) {
        editUnderValidation = id;
        ValidateLimitEdit();
        editUnderValidation = 0;
    }
}

static void OnLimitsNotify(const NMHDR* header)
{
    if (header->code != static_cast<UINT>(UDN_DELTAPOS))
        return;
    const NMUPDOWN* step = reinterpret_cast<const NMUPDOWN*>(header);
    StepLimit(&work, static_cast<uint32_t>(header->idFrom), step->iDelta);
    ShowLimitValues();
}

INT_PTR CALLBACK LimitsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Not after destruction: the field would name a window that is gone.
    if (message != WM_NCDESTROY)
        gApp.ui.limitsDialog = window;
    switch (message) {
    case WM_INITDIALOG:
        work = CurrentLimits();
        editUnderValidation = 0;
        ShowLimitValues();
        break;
    case WM_NOTIFY:
        OnLimitsNotify(reinterpret_cast<const NMHDR*>(lParam));
        break;
    case WM_COMMAND:
        OnLimitsCommand(LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_CLOSE:
    case WM_DESTROY:
        EndLimits();
        break;
    default:
        return FALSE;
    }
    UpdateLimitsButtons();
    return TRUE;
}
