#pragma once
// The apply transaction without windows: save, confirm, write, keep or
// revert, and the boot store five minutes after a kept apply. The dialogs and
// timers are reached through ApplyDialogs, so the whole sequence runs the
// same against the simulated chip in the unit tests and in Velkor.exe.
#include <stdint.h>

// Outcomes of the keep-or-revert dialog (gApp.ui.keepResult).
const uint32_t kKeepKept = 0;
const uint32_t kKeepDeclined = 1;  // "&No", closed, or ended from outside
const uint32_t kKeepTimedOut = 2;

// Timers: the keep-or-revert dialog's answer time and the main window's
// delay before kept clocks are recorded for boot.
const uint32_t kKeepTimer = 27067;
const uint32_t kKeepTimerMilliseconds = 15000;
const uint32_t kBootTimer = 27050;
const uint32_t kBootTimerMilliseconds = 300000;

// Command identifiers the two dialogs react to.
const uint32_t kCommandAccept = 1100;   // "&OK" (confirmation), "&Yes" (keep-or-revert)
const uint32_t kCommandDecline = 1102;  // "&Cancel" (confirmation), "&No" (keep-or-revert)

class ApplyDialogs {
public:
    // Run the dialogs modally; their procedures set gApp.ui.confirmResult and
    // gApp.ui.keepResult through the Confirm* and Keep* rules below.
    virtual void RunConfirmation() = 0;
    virtual void RunKeepOrRevert() = 0;
    // Timer kBootTimer on the main window; Start returns its identifier (0 = none).
    virtual uintptr_t StartBootTimer() = 0;
    virtual void StopBootTimer(uintptr_t identifier) = 0;
    // After a revert: every window repainted, then the restore message.
    virtual void RepaintScreen() = 0;
    virtual void ShowRestoredMessage() = 0;
    // Sliders and labels from gApp; with focusClose, the focus to "&Close".
    virtual void ShowClocks(bool focusClose) = 0;

protected:
    ~ApplyDialogs() = default;
};

// "&Apply" of the main window, start to end.
void RunApply(ApplyDialogs* dialogs);
// Timer kBootTimer fired at the main window. During a transaction the store
// waits for its end (RunApply runs it then), and during a clock test job for
// its end (the clock test dialog runs it then).
void RunBootStore(ApplyDialogs* dialogs);
// The store that fell due while an apply or a clock test job ran, once that
// has ended; nothing when none is due.
void RunBootStoreIfDue(ApplyDialogs* dialogs);

// The clocks a revert may write back, fixed from gApp right before the chip
// is written. The dialogs that follow run message loops in which a Restore
// reloads the settings (and with them `applied`); the revert must still go
// back to the clocks that ran before.
struct RevertPoint {
    uint32_t gfxBefore, memBefore;      // the clocks before the apply
    uint32_t gfxBaseline, memBaseline;  // start-up or the last boot store
};
RevertPoint TakeRevertPoint();
// The clocks a revert writes back: "&No" (and every other way of declining)
// returns to the clocks that ran before the apply, a time-out to those of
// start-up or of the last boot store.
void RevertTargets(const RevertPoint& point, uint32_t keepResult, uint32_t* gfxMHz, uint32_t* memMHz);
// Whether a finished keep-or-revert dialog schedules the boot store.
bool StartsBootStore(uint32_t keepResult, uint32_t resetOnReboot);
// Whether a revert schedules again the store that the confirmed apply
// stopped: only "&No", which goes back to the clocks that store was for; a
// time-out goes back to the start-up or last stored clocks instead.
bool RestartsBootStore(uint32_t keepResult, bool storeWasPending, uint32_t resetOnReboot);

// Confirmation dialog rules. Begin: at WM_INITDIALOG. Command: 1 when the
// command ends the dialog (confirmResult then says how).
void ConfirmBegin();
int ConfirmCommandEnds(uint32_t command);

// Keep-or-revert dialog rules. Until an answer arrives the apply counts as
// declined, so a dialog ended from outside reverts. Command and Timer: 1 when
// the dialog ends (and its timer is to be stopped).
void KeepBegin();
int KeepCommandEnds(uint32_t command);
int KeepTimerEnds(uintptr_t timer);
