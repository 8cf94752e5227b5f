#include "ui/apply_rules.h"

#include "app_state.h"
#include "clock/clock_programming.h"
#include "clock/pll_model.h"
#include "settings/boot_store.h"
#include "settings/settings_store.h"

RevertPoint TakeRevertPoint()
{
    RevertPoint point;
    point.gfxBefore = gApp.gfx.applied;
    point.memBefore = gApp.mem.applied;
    point.gfxBaseline = gApp.gfx.baseline;
    point.memBaseline = gApp.mem.baseline;
    return point;
}

void RevertTargets(const RevertPoint& point, uint32_t keepResult, uint32_t* gfxMHz, uint32_t* memMHz)
{
    const bool declined = keepResult == kKeepDeclined;
    *gfxMHz = declined ? point.gfxBefore : point.gfxBaseline;
    *memMHz = declined ? point.memBefore : point.memBaseline;
}

bool StartsBootStore(uint32_t keepResult, uint32_t resetOnReboot)
{
    return keepResult == kKeepKept && resetOnReboot == 0;
}

// A pending boot store must not record clocks from before a write whose
// outcome is still open; a kept apply schedules a new one.
static void CancelBootStore(ApplyDialogs* dialogs)
{
    if (gApp.ui.bootTimer != 0) {
        dialogs->StopBootTimer(gApp.ui.bootTimer);
        gApp.ui.bootTimer = 0;
    }
}

// The PLL only approximates a requested clock, and a clock the search cannot
// express is not written at all: what the chip runs at is read back.
static void ReadBackClocks(bool pending)
{
    const uint32_t gfxMHz = ReadGfxClock();
    const uint32_t memMHz = ReadMemClock();
    gApp.gfx.selected = gApp.gfx.applied = gfxMHz;
    gApp.mem.selected = gApp.mem.applied = memMHz;
    if (pending) {
        gApp.gfx.pendingBoot = gfxMHz;
        gApp.mem.pendingBoot = memMHz;
    }
}

void RunApply(ApplyDialogs* dialogs)
{
    SaveSettings();
    gApp.resetOnRebootApplied = gApp.resetOnReboot;

    // What the confirmation shows is what "&OK" writes, even if a Restore
    // puts the sliders back while it is open.
    const uint32_t gfxConfirmed = gApp.gfx.selected;
    const uint32_t memConfirmed = gApp.mem.selected;
    dialogs->RunConfirmation();
    if (gApp.ui.confirmResult != 1)
        return;

    CancelBootStore(dialogs);
    // No message is handled from here to the write: the point is exactly
    // the clocks the write replaces.
    const RevertPoint revertPoint = TakeRevertPoint();
    ApplyClocks(gfxConfirmed, memConfirmed);

    dialogs->RunKeepOrRevert();
    const uint32_t keepResult = gApp.ui.keepResult;
    if (keepResult == kKeepKept) {
        ReadBackClocks(true);
        if (StartsBootStore(keepResult, gApp.resetOnReboot))
            gApp.ui.bootTimer = dialogs->StartBootTimer();
        dialogs->ShowClocks(true);
        return;
    }

    uint32_t gfxMHz, memMHz;
    RevertTargets(revertPoint, keepResult, &gfxMHz, &memMHz);
    ApplyClocks(gfxMHz, memMHz);
    ReadBackClocks(false);
    dialogs->RepaintScreen();
    dialogs->ShowRestoredMessage();
    dialogs->ShowClocks(true);
}

void RunBootStore(ApplyDialogs* dialogs)
{
    dialogs->StopBootTimer(gApp.ui.bootTimer);
    gApp.ui.bootTimer = 0;
    StoreBootClocks();
    dialogs->ShowClocks(false);
}

void ConfirmBegin()
{
    gApp.ui.confirmResult = 0;
}

int ConfirmCommandEnds(uint32_t command)
{
    if (command == kCommandAccept) {
        gApp.ui.confirmResult = 1;
        return 1;
    }
    if (command == kCommandDecline) {
        gApp.ui.confirmResult = 0;
        return 1;
    }
    return 0;  // Esc's cancel command included: only the buttons answer
}

void KeepBegin()
{
    gApp.ui.keepResult = kKeepDeclined;
}

int KeepCommandEnds(uint32_t command)
{
    if (command == kCommandAccept) {
        gApp.ui.keepResult = kKeepKept;
        return 1;
    }
    return command == kCommandDecline;
}

int KeepTimerEnds(uintptr_t timer)
{
    if (timer != kKeepTimer)
        return 0;
    gApp.ui.keepResult = kKeepTimedOut;
    return 1;
}
