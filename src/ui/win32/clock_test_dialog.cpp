// The clock test dialog: the jobs of clock_test/job, run in slices from a
// timer so that every window keeps repainting and moving while they run.
#include "ui/win32/ui_win32.h"

#include <commctrl.h>

#include "app_state.h"
#include "../res/resource.h"
#include "clock/pll_search.h"
#include "clock_test/job.h"
#include "ui/win32/main_controls.h"
#include "ui/win32/window_handles.h"

namespace {

// The slices: the timer comes back every few milliseconds (every 55 on the
// Windows 95 line), and each tick works for at most kSliceMilliseconds in
// pieces of kPieceBytes, so input and painting never wait long.
const UINT_PTR kSliceTimerId = 27201;
const UINT kSliceTimerMilliseconds = 10;
const DWORD kSliceMilliseconds = 40;
const uint32_t kPieceBytes = 64 * 1024;
const DWORD kChartRepaintMilliseconds = 250;

const COLORREF kCleanColour = RGB(0, 160, 0);
const COLORREF kErrorColour = RGB(208, 0, 0);
const COLORREF kChartBackground = RGB(255, 255, 255);

struct ClockTestDialog {
    HWND window;
    ClockTestJob job;
    bool available;  // video memory to test was there when the dialog opened
    DWORD chartPaintedAt;
};

ClockTestDialog dialog;

HWND Control(int id)
{
    return GetDlgItem(dialog.window, id);
}

uint32_t ChosenDomain()
{
    return IsDlgButtonChecked(dialog.window, IDC_TEST_CORE) == BST_CHECKED ? kGfxDomain : kMemDomain;
}

const ClockDomain& Domain(uint32_t domain)
{
    return domain == kGfxDomain ? gApp.gfx : gApp.mem;
}

const char* DomainName(uint32_t domain)
{
    return domain == kGfxDomain ? "graphics core" : "memory";
}

uint32_t SecondsPerClock()
{
    BOOL read = FALSE;
    UINT seconds = GetDlgItemInt(dialog.window, IDC_TEST_SECONDS, &read, FALSE);
    if (!read || seconds < kSecondsPerClockMin)
        seconds = kSecondsPerClockMin;
    if (seconds > kSecondsPerClockMax)
        seconds = kSecondsPerClockMax;
    SetDlgItemInt(dialog.window, IDC_TEST_SECONDS, seconds, FALSE);
    return seconds;
}

void UpdateButtons()
{
    const bool running = ClockTestRunning(dialog.job);
    const int idleControls[] = {IDC_TEST_MEMORY, IDC_TEST_CORE, IDC_TEST_SECONDS, IDC_TEST_SECONDS_SPIN,
                                IDC_TEST_RUN, IDC_TEST_FIND};
    // The focus must not stay on a control about to be disabled.
    if (running)
        SetFocus(Control(IDC_TEST_STOP));
    for (int id : idleControls)
        EnableWindow(Control(id), !running && dialog.available);
    EnableWindow(Control(IDC_TEST_STOP), running);
}

// ---- What the status line says -------------------------------------------

// Time, passes, megabytes (10^6 bytes), the rate and the errors so far; for
// a graphics core test that renders, the frames, their artifacts and the
// copy passes instead (the copies' errors when there are any).
void FormatTotals(char* text, const ClockTestJob& job, DWORD elapsedMs)
{
    const uint64_t bytes = job.test.totals.bytesTested;
    const MemTestErrors& errors = job.test.totals.errors;
    const CoreCheck& core = job.core;
    int length = wsprintfA(text, "%u:%02u, ", elapsedMs / 60000, elapsedMs / 1000 % 60);
    if (job.domain == kGfxDomain && core.render) {
        length += wsprintfA(text + length, "%u frames, %u artifacts, %u copy passes", core.frames, core.artifacts,
                            job.test.totals.passes);
        if (errors.count > core.artifacts)
            length += wsprintfA(text + length, ", %u copy errors", errors.count - core.artifacts);
    } else {
        length += wsprintfA(text + length, "%u passes, %u MB (%u MB/s), %u errors", job.test.totals.passes,
                            static_cast<uint32_t>(bytes / 1000000), MemTestMBPerSecond(bytes, elapsedMs),
                            errors.count);
    }
    if (errors.count)
        wsprintfA(text + length, ", bits %08X", errors.failingBits);
}

// What the step does: the memory pattern; for the graphics core the render
// or the copies, or that only the copies are tested, and why.
void FormatActivity(char* text, const ClockTestJob& job)
{
    if (job.domain != kGfxDomain)
        lstrcpyA(text, MemTestPatternName(job.test.patterns[job.test.patternIndex]));
    else if (!job.core.render)
        wsprintfA(text, "only 2D copies (3D %s)", job.core.renderMissing);
    else
        lstrcpyA(text, CoreCheckActivity(job.core));
}

void FormatRunning(char* text, DWORD now)
{
    const ClockTestJob& job = dialog.job;
    char totals[128], activity[96];
    FormatActivity(activity, job);
    if (job.mode == ClockTestMode::Test) {
        FormatTotals(totals, job, now - job.jobStartMs);
        const bool core = job.domain == kGfxDomain;
        wsprintfA(text, "Testing the %s clock at %u MHz until Stop%s%s.\r\n%s", DomainName(job.domain), job.stepClock,
                  core ? ": " : "", core ? activity : "", totals);
        return;
    }
    FormatTotals(totals, job, now - job.stepStartMs);
    wsprintfA(text, "%s the %s clock at %u MHz (at most %u MHz): %s.\r\nThis clock: %s",
              SearchConfirming(job.search) ? "Confirming" : "Trying", DomainName(job.domain), job.stepClock,
              job.ceiling, activity, totals);
}

void FormatFound(char* text)
{
    const ClockTestJob& job = dialog.job;
    const ClockSearch& search = job.search;
    const uint32_t clean = SearchHighestClean(search);
    const uint32_t suggested = ClockTestSuggestion(job);
    switch (search.end) {
    case SearchEnd::Found:
        wsprintfA(text, "Highest clean %s clock: %u MHz (errors from %u MHz). Suggested: %u MHz (5%% below).",
                  DomainName(job.domain), clean, search.failing, suggested);
        return;
    case SearchEnd::AtCeiling:
        if (job.ceiling < Domain(job.domain).max)
            wsprintfA(text, "No errors up to %u MHz, just below %u MHz, where an earlier test stopped the "
                      "machine. Suggested: %u MHz (5%% below).", clean, job.tooHigh.mhz, suggested);
        else
            wsprintfA(text, "No errors up to %u MHz, the %s clock's limit maximum. Suggested: %u MHz (5%% below).",
                      clean, DomainName(job.domain), suggested);
        return;
    default:
        if (job.columnCount == 0)
            wsprintfA(text, "The %s clock applied now is above %u MHz, the highest clock the search may try.",
                      DomainName(job.domain), job.ceiling);
        else
            wsprintfA(text, "Errors already at %u MHz, the %s clock applied now: nothing to suggest.",
                      job.domain == kGfxDomain ? job.gfxBefore : job.memBefore, DomainName(job.domain));
        return;
    }
}

void ShowStatus(DWORD now)
{
    const ClockTestJob& job = dialog.job;
    char text[384];
    switch (job.state) {
    case ClockTestState::Idle:
        wsprintfA(text, "Applied now: graphics core %u MHz, memory %u MHz.", gApp.gfx.applied, gApp.mem.applied);
        break;
    case ClockTestState::Running:
        FormatRunning(text, now);
        break;
    case ClockTestState::Finished:
        FormatFound(text);
        if (job.domain == kGfxDomain && !job.core.render)
            wsprintfA(text + lstrlenA(text), " Only 2D copies were tested: 3D %s.", job.core.renderMissing);
        break;
    case ClockTestState::Stopped:
        wsprintfA(text, "Stopped. The %s clock is back at %u MHz.", DomainName(job.domain),
                  Domain(job.domain).applied);
        break;
    case ClockTestState::Failed:
        if (dialog.available)
            wsprintfA(text, "The clock test stopped: %s. The %s clock is back at %u MHz.", job.why,
                      DomainName(job.domain), Domain(job.domain).applied);
        else
            wsprintfA(text, "The clock test is not available: %s.", job.why);
        break;
    }
    SetDlgItemTextA(dialog.window, IDC_TEST_STATUS, text);
    SendDlgItemMessageA(dialog.window, IDC_TEST_PROGRESS, PBM_SETPOS,
                        ClockTestRunning(job) ? ClockTestStepPercent(job, now) : 0, 0);
    if (now - dialog.chartPaintedAt >= kChartRepaintMilliseconds || !ClockTestRunning(job)) {
        dialog.chartPaintedAt = now;
        InvalidateRect(Control(IDC_TEST_CHART), NULL, FALSE);
    }
}

// ---- Jobs ------------------------------------------------------------------

// After every job: the main window shows the clocks back (and the
// suggestion on its slider), and a boot store that fell due meanwhile runs.
void AfterJob()
{
    KillTimer(dialog.window, kSliceTimerId);
    RefreshTitleAndRanges();
    RefreshClockDisplay();
    UpdateMainButtons();
    if (gApp.ui.bootStoreDue != 0)
        OnBootTimer();
}

void StartJob(ClockTestMode mode)
{
    const DWORD now = GetTickCount();
    if (ClockTestBegin(&dialog.job, mode, ChosenDomain(), SecondsPerClock(), now)) {
        if (ClockTestRunning(dialog.job))
            SetTimer(dialog.window, kSliceTimerId, kSliceTimerMilliseconds, NULL);
        else
            AfterJob();  // a search with nowhere to go ends at once
    }
    UpdateButtons();
    ShowStatus(now);
}

void StopJob()
{
    if (!ClockTestRunning(dialog.job))
        return;
    ClockTestStop(&dialog.job);
    AfterJob();
}

void OnSliceTimer()
{
    const DWORD start = GetTickCount();
    DWORD now = start;
    while (ClockTestRunning(dialog.job) && now - start < kSliceMilliseconds) {
        ClockTestSlice(&dialog.job, kPieceBytes, now);
        now = GetTickCount();
    }
    if (!ClockTestRunning(dialog.job)) {
        AfterJob();
        UpdateButtons();
        SetFocus(Control(IDC_TEST_FIND));
    }
    ShowStatus(now);
}

// ---- The chart -------------------------------------------------------------

// Columns of equal width, at least a dozen to the chart; a clean clock a low
// green column, a failing one red and the taller the more errors (by their
// number of binary digits).
void DrawChart(const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    RECT area = item->rcItem;
    HBRUSH background = CreateSolidBrush(kChartBackground);
    FillRect(dc, &area, background);
    DeleteObject(background);
    FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    InflateRect(&area, -2, -2);

    const ClockTestJob& job = dialog.job;
    const uint32_t slots = job.columnCount > 12 ? job.columnCount : 12;
    const int width = (area.right - area.left) / static_cast<int>(slots);
    const int height = area.bottom - area.top;
    HBRUSH clean = CreateSolidBrush(kCleanColour);
    HBRUSH failing = CreateSolidBrush(kErrorColour);
    SetBkMode(dc, TRANSPARENT);
    for (uint32_t i = 0; i < job.columnCount; ++i) {
        const ClockTestColumn& column = job.columns[i];
        uint32_t digits = 0;
        for (uint32_t errors = column.errors; errors != 0 && digits < 16; errors >>= 1)
            ++digits;
        const int tall = height / 3 + (height - height / 3) * static_cast<int>(digits) / 16;
        RECT bar = {area.left + static_cast<int>(i) * width + 1, area.bottom - tall,
                    area.left + static_cast<int>(i + 1) * width - 1, area.bottom};
        FillRect(dc, &bar, column.errors ? failing : clean);
        char label[8];
        wsprintfA(label, "%u", column.mhz);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextA(dc, label, -1, &bar, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
    }
    DeleteObject(clean);
    DeleteObject(failing);
}

// ---- Messages ----------------------------------------------------------------

void OnInitDialog(HWND window)
{
    dialog.window = window;
    dialog.job = ClockTestJob{};
    dialog.chartPaintedAt = 0;
    gApp.ui.clockTestDialog = window;
    CheckDlgButton(window, IDC_TEST_MEMORY, BST_CHECKED);
    SendDlgItemMessageA(window, IDC_TEST_SECONDS_SPIN, UDM_SETRANGE, 0,
                        MAKELONG(kSecondsPerClockMax, kSecondsPerClockMin));
    SendDlgItemMessageA(window, IDC_TEST_SECONDS_SPIN, UDM_SETPOS, 0, MAKELONG(kSecondsPerClockDefault, 0));
    SetDlgItemInt(window, IDC_TEST_SECONDS, kSecondsPerClockDefault, FALSE);
    dialog.available = ClockTestAvailable(dialog.job.why, sizeof dialog.job.why) != 0;
    if (!dialog.available)
        dialog.job.state = ClockTestState::Failed;
    UpdateButtons();
    ShowStatus(GetTickCount());
}

void EndClockTestDialog()
{
    StopJob();
    EndDialog(dialog.window, 0);
    gApp.ui.clockTestDialog = nullptr;
}

void OnCommand(WORD id)
{
    switch (id) {
    case IDC_TEST_RUN:
        StartJob(ClockTestMode::Test);
        break;
    case IDC_TEST_FIND:
        StartJob(ClockTestMode::FindHighest);
        break;
    case IDC_TEST_STOP:
        StopJob();
        UpdateButtons();
        SetFocus(Control(IDC_TEST_RUN));
        ShowStatus(GetTickCount());
        break;
    case IDCANCEL:
        EndClockTestDialog();
        break;
    }
}

}  // namespace

INT_PTR CALLBACK ClockTestDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kSliceTimerId)
            OnSliceTimer();
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_TEST_CHART)
            return FALSE;
        DrawChart(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CLOSE:
    case WM_DESTROY:
        EndClockTestDialog();
        return TRUE;
    default:
        return FALSE;
    }
}

void RunClockTestDialog()
{
    DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_CLOCK_TEST), MainWindow(), ClockTestDialogProc, 0);
}

void StopClockTestForExit()
{
    StopJob();
}

void TellOfUnfinishedClockTest()
{
    const ClockTestNote note = TakeUnfinishedClockTest();
    if (note.mhz == 0)
        return;
    char text[256];
    wsprintfA(text,
              "The last clock test stopped at %u MHz without finishing; the machine may have stopped "
              "responding. %u MHz is treated as too high.",
              note.mhz, note.mhz);
    MessageBoxA(NULL, text, "Clock Test", MB_ICONWARNING | MB_OK);
}
