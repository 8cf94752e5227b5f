// The clock test dialog: the jobs of clock_test/job, run in slices from a
// timer so that every window keeps repainting and moving while they run. It
// only shows what the job says; the rules are the job's and the main
// window's (main_window_rules.h).
#include "ui/win32/ui_win32.h"

#include <commctrl.h>

#include "app_state.h"
#include "../res/resource.h"
#include "clock/pll_search.h"
#include "clock_test/job.h"
#include "ui/main_window_rules.h"
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
const COLORREF kChartText = RGB(64, 64, 64);
// Height of the chart's legend line and of its column labels, in pixels.
const int kLegendPixels = 11;
const int kLabelPixels = 9;

const char kProgramName[] = "ZuvoVuzozuzo";

struct ClockTestDialog {
    HWND window;
    ClockTestJob job;
    bool available;  // video memory to test was there when the dialog opened
    DWORD chartPaintedAt;
    HFONT legendFont, labelFont;  // the labels run upwards, so narrow columns still hold them
    char notice[128];             // a refused "Seconds per clock", until the next start
    DWORD endedAt;                // when the last job ended: its totals keep their time
};

ClockTestDialog dialog;
// Kept while Velkor runs: each opening starts from the last choice.
uint32_t secondsPerClock = kSecondsPerClockDefault;

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

// The box refuses what is not a whole number of seconds in range: it says so
// and shows the last good value again. 0 when refused.
int TakeSecondsPerClock()
{
    char text[16];
    GetDlgItemTextA(dialog.window, IDC_TEST_SECONDS, text, sizeof text);
    uint32_t seconds = 0;
    if (ParseSecondsPerClock(text, &seconds)) {
        secondsPerClock = seconds;
        return 1;
    }
    wsprintfA(dialog.notice, "Seconds per clock must be a whole number from %u to %u; kept %u.",
              kSecondsPerClockMin, kSecondsPerClockMax, secondsPerClock);
    SetDlgItemInt(dialog.window, IDC_TEST_SECONDS, secondsPerClock, FALSE);
    MessageBeep(MB_ICONWARNING);
    return 0;
}

// The focus always sits on an enabled control: the control that stays
// enabled takes it before the others are disabled. "&Stop" is the default
// button while a job runs, "&Test" otherwise.
void UpdateButtons()
{
    const bool running = ClockTestRunning(dialog.job);
    const bool idle = !running && dialog.available;
    const int idleControls[] = {IDC_TEST_MEMORY, IDC_TEST_CORE, IDC_TEST_SECONDS, IDC_TEST_SECONDS_SPIN,
                                IDC_TEST_RUN, IDC_TEST_FIND};
    const int keep = running ? IDC_TEST_STOP : idle ? IDC_TEST_RUN : IDC_TEST_CLOSE;
    if (running)
        EnableWindow(Control(IDC_TEST_STOP), TRUE);
    else
        for (int id : idleControls)
            EnableWindow(Control(id), idle);
    SendMessageA(dialog.window, DM_SETDEFID, keep, 0);
    HWND focus = GetFocus();
    if (running || focus == NULL || focus == Control(IDC_TEST_STOP) || !IsWindowEnabled(focus))
        SendMessageA(dialog.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(keep)), TRUE);
    if (running)
        for (int id : idleControls)
            EnableWindow(Control(id), FALSE);
    else
        EnableWindow(Control(IDC_TEST_STOP), FALSE);
}

// ---- What the dialog says ----------------------------------------------------

// Time, rounds, megabytes (10^6 bytes) and the rate, the memory covered and
// the errors so far; for a graphics core test that renders, the frames, their
// artifacts and the copy passes instead (the copies' errors when there are any).
void FormatTotals(char* text, const ClockTestJob& job, DWORD elapsedMs)
{
    const uint64_t bytes = job.test.totals.bytesTested;
    const MemTestErrors& errors = job.test.totals.errors;
    const CoreCheck& core = job.core;
    int length = wsprintfA(text, "%u:%02u, ", elapsedMs / 60000, elapsedMs / 1000 % 60);
    if (job.domain == kGfxDomain && core.render) {
        length += wsprintfA(text + length, "%u frames, %u artifacts, %u copy passes, ", core.frames, core.artifacts,
                            job.test.totals.passes);
        const uint32_t copyErrors = errors.count - core.artifacts;
        if (copyErrors == 0)
            wsprintfA(text + length, "no copy errors");
        else
            wsprintfA(text + length, "%u copy errors (failing bits %08X)", copyErrors, errors.failingBits);
        return;
    }
    const uint32_t rounds = ClockTestProgressNow(job, elapsedMs).rounds;
    length += wsprintfA(text + length, "%u round%s, %u MB (%u MB/s) over %u of %u MiB, ", rounds,
                        rounds == 1 ? "" : "s", static_cast<uint32_t>(bytes / 1000000),
                        MemTestMBPerSecond(bytes, elapsedMs), job.testedMiB, job.boardMiB);
    if (errors.count == 0)
        wsprintfA(text + length, "no errors");
    else
        wsprintfA(text + length, "%u errors (failing bits %08X)", errors.count, errors.failingBits);
}

// What the step does, and for a graphics core test without the render, why
// only the copies run.
void FormatActivity(char* text, const ClockTestJob& job)
{
    if (job.domain == kGfxDomain && !job.core.render)
        wsprintfA(text, "%s (only 2D copies: 3D %s)", ClockTestPatternName(job), job.core.renderMissing);
    else
        lstrcpyA(text, ClockTestPatternName(job));
}

void FormatRunning(char* text, DWORD now)
{
    const ClockTestJob& job = dialog.job;
    char totals[160], activity[128];
    FormatActivity(activity, job);
    if (job.mode == ClockTestMode::Test) {
        FormatTotals(totals, job, now - job.jobStartMs);
        wsprintfA(text, "Testing the %s clock at %u MHz until Stop, pattern: %s.\r\n%s.", DomainName(job.domain),
                  job.stepClock, activity, totals);
        return;
    }
    const ClockTestProgress progress = ClockTestProgressNow(job, now);
    FormatTotals(totals, job, now - job.stepStartMs);
    wsprintfA(text,
              "%s the %s clock at %u MHz (at most %u MHz)%s: step %u of about %u, about %u:%02u left.\r\n"
              "Pattern: %s. This clock: %s.",
              SearchConfirming(job.search) ? "Confirming" : "Trying", DomainName(job.domain), job.stepClock,
              job.ceiling, SearchConfirming(job.search) ? ", six times as long" : "", progress.step,
              progress.aboutSteps, progress.secondsLeft / 60, progress.secondsLeft % 60, activity, totals);
}

// Where the suggestion went, and how it came about.
void FormatSuggestion(char* text, const ClockTestJob& job)
{
    if (job.suggestion == 0) {
        lstrcpyA(text, " Nothing to suggest within the limits.");
        return;
    }
    char why[80];
    if (job.suggestionHeldUp)
        lstrcpyA(why, "not below the board's default or the clock the search started from");
    else
        wsprintfA(why, "%u%% below", kSuggestionMarginPercent);
    wsprintfA(text, " Suggested: %u MHz (%s), now on the main window's slider but not applied: \"Apply\" there "
              "sets it.", job.suggestion, why);
}

void FormatFound(char* text)
{
    const ClockTestJob& job = dialog.job;
    const uint32_t clean = SearchHighestClean(job.search);
    const char* domain = DomainName(job.domain);
    char suggestion[192];
    FormatSuggestion(suggestion, job);
    switch (job.end) {
    case ClockTestEnd::Found:
        wsprintfA(text, "Highest clean %s clock: %u MHz (errors from %u MHz).%s", domain, clean, job.search.failing,
                  suggestion);
        if (job.startErred)
            wsprintfA(text + lstrlenA(text), "\r\nThe clock applied now, %u MHz, has errors.", job.clockBefore);
        return;
    case ClockTestEnd::CleanToNote:
        wsprintfA(text, "No errors up to %u MHz, just below %u MHz, where an earlier test stopped the machine.%s",
                  clean, job.tooHigh.mhz, suggestion);
        return;
    case ClockTestEnd::CleanToLimit:
        wsprintfA(text, "No errors up to %u MHz, the highest %s clock the limits allow.%s", clean, domain,
                  suggestion);
        return;
    case ClockTestEnd::CleanToReach:
        wsprintfA(text, "No errors up to %u MHz, the highest %s clock the PLL reaches below %u MHz.%s", clean,
                  domain, job.ceiling, suggestion);
        return;
    case ClockTestEnd::AboveCeiling:
        wsprintfA(text, "The %s clock applied now, %u MHz, is above %u MHz, the highest clock the search may try: "
                  "nothing was tested.", domain, job.clockBefore, job.ceiling);
        return;
    default:
        wsprintfA(text, "Errors at %u MHz, the %s clock applied now, and at every clock tried down to %u MHz, the "
                  "limit minimum: nothing to suggest. Use \"Reset to Defaults\" in the main window and Apply, then "
                  "test again.", job.clockBefore, domain, job.floor);
        return;
    }
}

// After "&Stop" the totals of the last clock stay, with what they mean.
void FormatStopped(char* text)
{
    const ClockTestJob& job = dialog.job;
    char totals[160];
    FormatTotals(totals, job,
                 dialog.endedAt - (job.mode == ClockTestMode::Test ? job.jobStartMs : job.stepStartMs));
    int length = wsprintfA(text, "Stopped. The %s clock is back at %u MHz.\r\nAt %u MHz: %s.\r\n",
                           DomainName(job.domain), Domain(job.domain).applied, job.stepClock, totals);
    if (job.test.totals.errors.count != 0)
        wsprintfA(text + length, "Errors at %u MHz: this clock is too high; lower it and Apply, or use Find Highest "
                  "from a lower clock.", job.stepClock);
    else if (ClockTestProgressNow(job, dialog.endedAt).rounds != 0)
        wsprintfA(text + length, "Clean: no errors at %u MHz.", job.stepClock);
    else
        wsprintfA(text + length, "No errors so far, but not yet a whole round.");
}

// Which clock a job tests: the one applied now, whatever the slider holds.
void ShowTestedClock()
{
    char text[160];
    if (dialog.notice[0]) {
        SetDlgItemTextA(dialog.window, IDC_TEST_CLOCKS, dialog.notice);
        return;
    }
    const uint32_t domain = ClockTestRunning(dialog.job) ? dialog.job.domain : ChosenDomain();
    const ClockDomain& clocks = Domain(domain);
    const uint32_t applied = ClockTestRunning(dialog.job) ? dialog.job.clockBefore : clocks.applied;
    int length = wsprintfA(text, "Tests from the %s clock applied now: %u MHz.", DomainName(domain), applied);
    if (clocks.selected != applied)
        wsprintfA(text + length, " The slider holds %u MHz, not applied.", clocks.selected);
    SetDlgItemTextA(dialog.window, IDC_TEST_CLOCKS, text);
}

void ShowStatus(DWORD now)
{
    const ClockTestJob& job = dialog.job;
    char text[512];
    switch (job.state) {
    case ClockTestState::Idle:
        lstrcpyA(text, "Test runs rounds of patterns at the clock applied now until Stop. Find Highest steps up "
                       "from it to the highest clock without errors and suggests a clock; nothing is applied until "
                       "Apply in the main window.");
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
        FormatStopped(text);
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
    ShowTestedClock();
    SendDlgItemMessageA(dialog.window, IDC_TEST_PROGRESS, PBM_SETPOS,
                        ClockTestRunning(job) ? ClockTestProgressNow(job, now).stepPercent : 0, 0);
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
    dialog.endedAt = GetTickCount();
    KillTimer(dialog.window, kSliceTimerId);
    RefreshTitleAndRanges();
    RefreshClockDisplay();
    UpdateMainButtons();
    RunDueBootStore();
}

void StartJob(ClockTestMode mode)
{
    const DWORD now = GetTickCount();
    dialog.notice[0] = '\0';
    // What opening the dialog checked may have changed since: a job, an apply
    // or the limits dialog may run now.
    if (RefusedWhileBusy(gApp, BusyAsk::StartClockTest)) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    if (!TakeSecondsPerClock()) {
        ShowTestedClock();
        return;
    }
    if (ClockTestBegin(&dialog.job, mode, ChosenDomain(), secondsPerClock, now)) {
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
    UpdateButtons();
    ShowStatus(GetTickCount());
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
    }
    ShowStatus(now);
}

// ---- The chart -------------------------------------------------------------

// The white ground, its frame and the two-line legend; what is left for the
// columns.
RECT DrawChartGround(HDC dc, RECT area)
{
    HBRUSH background = CreateSolidBrush(kChartBackground);
    FillRect(dc, &area, background);
    DeleteObject(background);
    FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    InflateRect(&area, -2, -2);

    SelectObject(dc, dialog.legendFont);
    SetTextColor(dc, kChartText);
    RECT legend = area;
    legend.bottom = legend.top + 2 * kLegendPixels + 2;
    DrawTextA(dc, "One column per clock tried (MHz); green: clean, red: errors.\r\nTaller red: more errors. "
              "Framed: the long confirmation run.",
              -1, &legend, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_END_ELLIPSIS);
    area.top = legend.bottom + 1;
    return area;
}

// Columns of equal width, at least a dozen to the chart; a clean clock a low
// green column, a failing one red and the taller the more errors (by their
// number of binary digits); the confirmation framed. The clock runs upwards
// in each column, so forty columns still show theirs.
void DrawColumns(HDC dc, const RECT& area)
{
    const ClockTestJob& job = dialog.job;
    const uint32_t slots = job.columnCount > 12 ? job.columnCount : 12;
    const int width = (area.right - area.left) / static_cast<int>(slots);
    const int height = area.bottom - area.top;
    HBRUSH clean = CreateSolidBrush(kCleanColour);
    HBRUSH failing = CreateSolidBrush(kErrorColour);
    SelectObject(dc, dialog.labelFont);
    SetTextColor(dc, RGB(255, 255, 255));
    for (uint32_t i = 0; i < job.columnCount; ++i) {
        const ClockTestColumn& column = job.columns[i];
        uint32_t digits = 0;
        for (uint32_t errors = column.errors; errors != 0 && digits < 16; errors >>= 1)
            ++digits;
        const int tall = height / 2 + (height - height / 2) * static_cast<int>(digits) / 16;
        RECT bar = {area.left + static_cast<int>(i) * width + 1, area.bottom - tall,
                    area.left + static_cast<int>(i + 1) * width - 1, area.bottom};
        FillRect(dc, &bar, column.errors ? failing : clean);
        if (column.confirming)
            FrameRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        char label[8];
        wsprintfA(label, "%u", column.mhz);
        TextOutA(dc, bar.left + (bar.right - bar.left - kLabelPixels) / 2, bar.bottom - 2, label, lstrlenA(label));
    }
    DeleteObject(clean);
    DeleteObject(failing);
}

void DrawChart(const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, dialog.legendFont);
    DrawColumns(dc, DrawChartGround(dc, item->rcItem));
    SelectObject(dc, oldFont);
}

HFONT ChartFont(int pixels, int tenthsOfDegrees)
{
    return CreateFontA(-pixels, 0, tenthsOfDegrees, tenthsOfDegrees, FW_NORMAL, FALSE, FALSE, FALSE,
                       ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "Arial");
}

// ---- Messages ----------------------------------------------------------------

void OnInitDialog(HWND window)
{
    dialog.window = window;
    dialog.job = ClockTestJob{};
    dialog.chartPaintedAt = 0;
    dialog.notice[0] = '\0';
    dialog.legendFont = ChartFont(kLegendPixels, 0);
    dialog.labelFont = ChartFont(kLabelPixels, 900);
    gApp.ui.clockTestDialog = window;
    CheckDlgButton(window, IDC_TEST_MEMORY, BST_CHECKED);
    SendDlgItemMessageA(window, IDC_TEST_SECONDS_SPIN, UDM_SETRANGE, 0,
                        MAKELONG(kSecondsPerClockMax, kSecondsPerClockMin));
    SendDlgItemMessageA(window, IDC_TEST_SECONDS_SPIN, UDM_SETPOS, 0, MAKELONG(secondsPerClock, 0));
    SetDlgItemInt(window, IDC_TEST_SECONDS, secondsPerClock, FALSE);
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
    DeleteObject(dialog.legendFont);
    DeleteObject(dialog.labelFont);
    dialog.legendFont = dialog.labelFont = NULL;
}

void OnCommand(WORD id, WORD code)
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
        break;
    case IDC_TEST_SECONDS:
        if (code == EN_KILLFOCUS && !ClockTestRunning(dialog.job) && GetFocus() != Control(IDC_TEST_CLOSE)) {
            dialog.notice[0] = '\0';
            TakeSecondsPerClock();
            ShowTestedClock();
        }
        break;
    case IDC_TEST_MEMORY:
    case IDC_TEST_CORE:
        ShowTestedClock();
        break;
    case IDCANCEL:
        // Esc: a running job stops and the dialog stays with its result.
        if (ClockTestRunning(dialog.job))
            StopJob();
        else
            EndClockTestDialog();
        break;
    case IDC_TEST_CLOSE:
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
        OnCommand(LOWORD(wParam), HIWORD(wParam));
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
    const char* domain = DomainName(note.domain);
    char text[512];
    wsprintfA(text,
              "The last test of the %s clock did not finish at %u MHz: the machine probably stopped responding, "
              "and the clocks on the chip were not put back.\r\n\r\n"
              "From now on %u MHz counts as too high for the %s clock: Find Highest stays below it. To clear "
              "this, run Test on the %s clock at %u MHz or above until a whole round ends without errors.",
              domain, note.mhz, note.mhz, domain, domain, note.mhz);
    MessageBoxA(NULL, text, kProgramName, MB_ICONWARNING | MB_OK);
}
