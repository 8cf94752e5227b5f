#include "ui/apply_rules.h"

#include "app_state.h"
#include "board/chip_registers.h"
#include "clock/clock_programming.h"
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

bool RestartsBootStore(uint32_t keepResult, bool storeWasPending, uint32_t resetOnReboot)
{
    return keepResult == kKeepDeclined && storeWasPending && resetOnReboot == 0;
}

// A pending boot store must not record clocks from before a write whose
// outcome is still open; a kept apply schedules a new one. True when one
// was pending (its timer running, or fired during this transaction).
static bool CancelBootStore(ApplyDialogs* dialogs)
{
    const bool pending = gApp.ui.bootTimer != 0 || gApp.ui.bootStoreDue != 0;
    if (gApp.ui.bootTimer != 0) {
        dialogs->StopBootTimer(gApp.ui.bootTimer);
        gApp.ui.bootTimer = 0;
    }
    gApp.ui.bootStoreDue = 0;
    return pending;
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

static void RunTransaction(ApplyDialogs* dialogs)
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

    const bool storeWasPending = CancelBootStore(dialogs);
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
    // "&No" puts back the clocks an earlier kept apply was waiting to record:
    // they are kept again, so their store is due again five minutes on.
    if (RestartsBootStore(keepResult, storeWasPending, gApp.resetOnReboot) && gApp.gfx.pendingBoot != 0)
        gApp.ui.bootTimer = dialogs->StartBootTimer();
    dialogs->RepaintScreen();
    dialogs->ShowRestoredMessage();
    dialogs->ShowClocks(true);
}

void RunApply(ApplyDialogs* dialogs)
{
    // The dialogs run message loops in which the boot timer may fire; the
    // store rereads the baseline, which must not move under an open
    // transaction. It runs once the transaction is over, with what is kept then.
    gApp.ui.applyRunning = 1;
    RunTransaction(dialogs);
    gApp.ui.applyRunning = 0;
    RunBootStoreIfDue(dialogs);
}

void RunBootStoreIfDue(ApplyDialogs* dialogs)
{
    if (gApp.ui.bootStoreDue != 0)
        RunBootStore(dialogs);
}

void RunBootStore(ApplyDialogs* dialogs)
{
    dialogs->StopBootTimer(gApp.ui.bootTimer);
    gApp.ui.bootTimer = 0;
    // The store reads the live clocks as the new baseline: not while an apply
    // or a clock test has them in flux.
    if (gApp.ui.applyRunning != 0 || gApp.ui.clockTestRunning != 0) {
        gApp.ui.bootStoreDue = 1;
        return;
    }
    gApp.ui.bootStoreDue = 0;
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
