#pragma once
// What the main window and the dialogs it opens offer each other. The window
// procedures only dispatch; the rules behind them live in src/ui/*.h.
#include <windows.h>

// Main window (main_window.cpp)
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Apply transaction (apply_transaction.cpp)
void RunApplyTransaction();
void OnBootTimer();  // WM_TIMER 27050 at the main window
void RunDueBootStore();  // a store that fell due during an apply or a clock test job
INT_PTR CALLBACK ConfirmDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK KeepDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Limits dialog (limits_dialog.cpp)
INT_PTR CALLBACK LimitsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Clock test dialog (clock_test_dialog.cpp)
void RunClockTestDialog();
INT_PTR CALLBACK ClockTestDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// "E&xit" and Windows ending: a running job ends first, with the clocks
// from before it back and its note as before.
void StopClockTestForExit();
// Once at start: the message about a test that stopped the machine.
void TellOfUnfinishedClockTest();

// Slider painting (slider_paint.cpp)
LRESULT CALLBACK SliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// About box (about_dialog.cpp)
INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Timer identifiers
const UINT_PTR kBootTimerId = 27050;
const UINT_PTR kKeepTimerId = 27067;
