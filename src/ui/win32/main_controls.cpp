// The main window's controls shown from gApp: title, slider ranges and
// positions, the clock labels, the check box and the two buttons that depend
// on them. The main window and the apply transaction both refresh through here.
#include "ui/win32/main_controls.h"

#include <windows.h>
#include <commctrl.h>

#include "../res/resource.h"
#include "ui/main_window_rules.h"
#include "ui/win32/subclass.h"
#include "ui/win32/ui_win32.h"
#include "ui/win32/window_handles.h"

namespace {

const char kSliderProperty[] = "Slider";

HWND Control(int id)
{
    return GetDlgItem(MainWindow(), id);
}

// Formats one number into a control's text ("%d").
void SetControlNumber(int id, uint32_t value)
{
    char text[16];
    wsprintfA(text, "%d", static_cast<int>(value));
    SetDlgItemTextA(MainWindow(), id, text);
}

void SetSliderRange(int sliderId, int minLabelId, int maxLabelId, const ClockDomain& domain)
{
    SendDlgItemMessageA(MainWindow(), sliderId, TBM_SETRANGE, TRUE,
                        MAKELONG(static_cast<WORD>(domain.min), static_cast<WORD>(domain.max)));
    SetControlNumber(minLabelId, domain.min);
    SetControlNumber(maxLabelId, domain.max);
}

void SubclassSlider(int sliderId, int sliderNumber)
{
    HWND slider = Control(sliderId);
    // The slider painting looks at "Slider" on its first message, so it is set first.
    SetPropA(slider, kSliderProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(sliderNumber)));
    SubclassControl(slider, SliderProc);
}

void ShowClock(int sliderId, int labelId, const char* format, uint32_t mhz)
{
    SendDlgItemMessageA(MainWindow(), sliderId, TBM_SETPOS, TRUE, static_cast<LPARAM>(mhz));
    char text[64];
    wsprintfA(text, format, static_cast<int>(mhz));
    SetDlgItemTextA(MainWindow(), labelId, text);
}

}  // namespace

void RefreshTitleAndRanges()
{
    SetWindowTextA(MainWindow(), MainWindowTitle(gApp.boardKind));
    SetSliderRange(IDC_GFX_SLIDER, IDC_GFX_MIN, IDC_GFX_MAX, gApp.gfx);
    if (!gApp.ui.slidersSubclassed)
        SubclassSlider(IDC_GFX_SLIDER, 1);
    SetSliderRange(IDC_MEM_SLIDER, IDC_MEM_MIN, IDC_MEM_MAX, gApp.mem);
    if (!gApp.ui.slidersSubclassed)
        SubclassSlider(IDC_MEM_SLIDER, 2);
    gApp.ui.slidersSubclassed = 1;
}

void RefreshClockDisplay()
{
    CheckDlgButton(MainWindow(), IDC_RESET_ON_REBOOT, gApp.resetOnReboot ? BST_CHECKED : BST_UNCHECKED);
    ShowClock(IDC_GFX_SLIDER, IDC_GFX_LABEL, "Graphics Core Clock at %d MHz", gApp.gfx.selected);
    ShowClock(IDC_MEM_SLIDER, IDC_MEM_LABEL, "Memory Clock at %d MHz", gApp.mem.selected);
}

void UpdateMainButtons()
{
    MainButtonStates states = ComputeMainButtons(gApp);
    EnableWindow(Control(IDC_RESET), states.resetToDefaults);
    EnableWindow(Control(IDC_APPLY), states.apply);
}
