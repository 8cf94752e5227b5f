// The apply transaction against the simulated chip and the registry under
// test, with the dialogs and timers scripted.
#include <string>
#include <vector>

#include "settings/boot_store.h"
#include "settings/settings_store.h"
#include "settings_fixture.h"
#include "ui/apply_rules.h"

namespace {

// Plays the user's answers and records what the window side was asked to do.
class ScriptedDialogs final : public ApplyDialogs {
public:
    // What the confirmation and keep-or-revert dialogs end with, as their
    // procedures would: commands through the same rules, or nothing (0) for
    // a dialog ended from outside, or the keep timer.
    uint32_t confirmCommand = kCommandAccept;
    enum class Keep { Yes, No, EndedFromOutside, TimeOut } keep = Keep::Yes;
    uintptr_t timerToGive = kBootTimer;
    // A Restore (tray, "&Restore", a second start) while a dialog is open:
    // the main window reloads the settings inside the dialog's message loop.
    bool restoreWhileConfirming = false, restoreWhileDeciding = false;
    // The boot timer's message while the keep-or-revert dialog is open.
    bool bootStoreWhileDeciding = false;

    std::vector<std::string> calls;
    // The chip's words while the keep-or-revert dialog was open.
    uint32_t gfxWordWhileDeciding = 0, memWordWhileDeciding = 0;
    const SimChip* chip = nullptr;

    void RunConfirmation() override
    {
        calls.push_back("confirm");
        ConfirmBegin();
        if (restoreWhileConfirming)
            LoadSettings();
        if (confirmCommand != 0) {
            EXPECT_EQ(1, ConfirmCommandEnds(confirmCommand));
        }
    }
    void RunKeepOrRevert() override
    {
        calls.push_back("keep");
        if (chip) {
            gfxWordWhileDeciding = chip->Peek32(kGfxPllOffset);
            memWordWhileDeciding = chip->Peek32(kMemPllOffset);
        }
        KeepBegin();
        if (restoreWhileDeciding)
            LoadSettings();
        if (bootStoreWhileDeciding)
            RunBootStore(this);
        switch (keep) {
        case Keep::Yes: EXPECT_EQ(1, KeepCommandEnds(kCommandAccept)); break;
        case Keep::No: EXPECT_EQ(1, KeepCommandEnds(kCommandDecline)); break;
        case Keep::EndedFromOutside: break;
        case Keep::TimeOut: EXPECT_EQ(1, KeepTimerEnds(kKeepTimer)); break;
        }
    }
    uintptr_t StartBootTimer() override
    {
        calls.push_back("start-boot-timer");
        return timerToGive;
    }
    void StopBootTimer(uintptr_t identifier) override
    {
        calls.push_back("stop-boot-timer " + std::to_string(identifier));
    }
    void RepaintScreen() override { calls.push_back("repaint"); }
    void ShowRestoredMessage() override { calls.push_back("restored"); }
    void ShowClocks(bool focusClose) override { calls.push_back(focusClose ? "show+focus" : "show"); }
};

using Calls = std::vector<std::string>;

class ApplyTransaction : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        SetLiveClocks(125, 150);
        LoadSettings();              // TNT2 at its defaults, "Reboot" absent: reset on
        gApp.gfx.baseline = 125;     // as detection leaves it
        gApp.mem.baseline = 150;
        gApp.resetOnReboot = 0;      // the user unticked the box
        dialogs_.chip = &chip_;
        trace_.Clear();
    }

    void Select(uint32_t gfxMHz, uint32_t memMHz)
    {
        gApp.gfx.selected = gfxMHz;
        gApp.mem.selected = memMHz;
    }
    uint32_t LiveGfx() const { return ClockOfWord(LiveGfxWord()); }
    uint32_t LiveMem() const { return ClockOfWord(LiveMemWord()); }

    ScriptedDialogs dialogs_;
};

TEST_F(ApplyTransaction, CancelSavesAndCountsTheCheckBoxButLeavesTheChipAlone)
{
    for (uint32_t answer : {static_cast<uint32_t>(kCommandDecline), 0u}) {  // "&Cancel", close box
        SCOPED_TRACE(answer);
        Select(130, 160);
        gApp.resetOnReboot = 0;
        gApp.resetOnRebootApplied = 1;
        dialogs_.calls.clear();
        dialogs_.confirmCommand = answer;
        trace_.Clear();

        RunApply(&dialogs_);

        EXPECT_EQ(Calls{"confirm"}, dialogs_.calls);
        EXPECT_EQ(0, trace_.CountOf(SimEvent::RegisterWrite32));
        EXPECT_EQ(0u, gApp.resetOnRebootApplied);
        EXPECT_EQ(0u, Dword(kTestSettingsKey, "Reboot"));
        EXPECT_EQ(static_cast<uint32_t>(BoardKind::TNT2), Dword(kTestSettingsKey, "Device"));
        // Nothing else moves: the sliders keep the user's choice.
        EXPECT_EQ(130u, gApp.gfx.selected);
        EXPECT_EQ(125u, gApp.gfx.applied);
        EXPECT_EQ(160u, gApp.mem.selected);
    }
}

TEST_F(ApplyTransaction, KeptApplyTakesTheReadBackAndSchedulesTheBootStore)
{
    Select(140, 166);
    RunApply(&dialogs_);

    EXPECT_EQ((Calls{"confirm", "keep", "start-boot-timer", "show+focus"}), dialogs_.calls);
    // Written before the question, not after.
    EXPECT_EQ(140u, ClockOfWord(dialogs_.gfxWordWhileDeciding));
    EXPECT_EQ(166u, ClockOfWord(dialogs_.memWordWhileDeciding));
    for (const ClockDomain* d : {&gApp.gfx, &gApp.mem}) {
        const uint32_t live = d == &gApp.gfx ? LiveGfx() : LiveMem();
        EXPECT_EQ(live, d->selected);
        EXPECT_EQ(live, d->applied);
        EXPECT_EQ(live, d->pendingBoot);
    }
    EXPECT_EQ(140u, gApp.gfx.applied);
    EXPECT_EQ(166u, gApp.mem.applied);
    EXPECT_EQ(125u, gApp.gfx.baseline);  // only the boot store moves the baseline
    EXPECT_EQ(kBootTimer, gApp.ui.bootTimer);
}

TEST_F(ApplyTransaction, KeptWithResetOnRebootSchedulesNothing)
{
    gApp.resetOnReboot = 1;
    Select(135, 160);
    RunApply(&dialogs_);
    EXPECT_EQ((Calls{"confirm", "keep", "show+focus"}), dialogs_.calls);
    EXPECT_EQ(0u, gApp.ui.bootTimer);
    EXPECT_EQ(135u, gApp.gfx.pendingBoot);  // kept, but never recorded
    EXPECT_EQ(160u, gApp.mem.pendingBoot);
}

TEST_F(ApplyTransaction, DeclinedOrEndedFromOutsideGoesBackToTheClocksBeforeTheApply)
{
    for (auto keep : {ScriptedDialogs::Keep::No, ScriptedDialogs::Keep::EndedFromOutside}) {
        SCOPED_TRACE(static_cast<int>(keep));
        // An earlier kept apply: applied 130/155, boot store still pending.
        SetLiveClocks(130, 155);
        gApp.gfx.applied = 130;
        gApp.mem.applied = 155;
        gApp.gfx.pendingBoot = 130;
        gApp.mem.pendingBoot = 155;
        gApp.ui.bootTimer = kBootTimer;
        Select(140, 166);
        dialogs_.calls.clear();
        dialogs_.keep = keep;

        RunApply(&dialogs_);

        EXPECT_EQ((Calls{"confirm", "stop-boot-timer 27050", "keep", "start-boot-timer", "repaint", "restored",
                         "show+focus"}),
                  dialogs_.calls);
        EXPECT_EQ(140u, ClockOfWord(dialogs_.gfxWordWhileDeciding));
        EXPECT_EQ(130u, LiveGfx());
        EXPECT_EQ(155u, LiveMem());
        EXPECT_EQ(130u, gApp.gfx.selected);
        EXPECT_EQ(130u, gApp.gfx.applied);
        EXPECT_EQ(155u, gApp.mem.selected);
        EXPECT_EQ(155u, gApp.mem.applied);
        // The clocks the stopped store was for run again: their store is due again.
        EXPECT_EQ(kBootTimer, gApp.ui.bootTimer);
        EXPECT_EQ(130u, gApp.gfx.pendingBoot);
        EXPECT_EQ(155u, gApp.mem.pendingBoot);
    }
}

// A Restore reloads the settings, and with them `applied`, while the dialogs
// wait: what the confirmation showed is written, and "&No" still goes back to
// the clocks that ran before, so the restore message tells the truth.
TEST_F(ApplyTransaction, RestoreWhileTheDialogsAreOpenChangesNeitherTheWriteNorTheRevert)
{
    dialogs_.restoreWhileConfirming = true;
    dialogs_.restoreWhileDeciding = true;
    dialogs_.keep = ScriptedDialogs::Keep::No;
    Select(140, 166);

    RunApply(&dialogs_);

    EXPECT_EQ(140u, ClockOfWord(dialogs_.gfxWordWhileDeciding));
    EXPECT_EQ(166u, ClockOfWord(dialogs_.memWordWhileDeciding));
    EXPECT_EQ((Calls{"confirm", "keep", "repaint", "restored", "show+focus"}), dialogs_.calls);
    EXPECT_EQ(125u, LiveGfx());
    EXPECT_EQ(150u, LiveMem());
    EXPECT_EQ(125u, gApp.gfx.applied);
    EXPECT_EQ(150u, gApp.mem.selected);
}

TEST_F(ApplyTransaction, TimeOutGoesBackToTheBaselineEvenAfterAnUnrecordedKeptApply)
{
    SetLiveClocks(130, 155);
    gApp.gfx.applied = 130;
    gApp.mem.applied = 155;
    gApp.gfx.pendingBoot = 130;
    gApp.mem.pendingBoot = 155;
    gApp.ui.bootTimer = kBootTimer;
    Select(140, 166);
    dialogs_.keep = ScriptedDialogs::Keep::TimeOut;

    RunApply(&dialogs_);

    // Not back to the clocks the stopped store was for: it stays stopped.
    EXPECT_EQ((Calls{"confirm", "stop-boot-timer 27050", "keep", "repaint", "restored", "show+focus"}),
              dialogs_.calls);
    EXPECT_EQ(0u, gApp.ui.bootTimer);
    EXPECT_EQ(125u, LiveGfx());
    EXPECT_EQ(150u, LiveMem());
    EXPECT_EQ(125u, gApp.gfx.applied);
    EXPECT_EQ(150u, gApp.mem.selected);
}

// The store rereads the baseline: under an open transaction that would make
// a later time-out go back to clocks nobody kept.
TEST_F(ApplyTransaction, ABootStoreDueDuringTheTransactionRunsAfterItsEnd)
{
    SetLiveClocks(130, 155);  // kept earlier, waiting to be recorded
    gApp.gfx.applied = gApp.gfx.pendingBoot = 130;
    gApp.mem.applied = gApp.mem.pendingBoot = 155;
    dialogs_.bootStoreWhileDeciding = true;
    dialogs_.keep = ScriptedDialogs::Keep::TimeOut;
    Select(140, 166);

    RunApply(&dialogs_);

    EXPECT_EQ(125u, gApp.gfx.baseline) << "read after the revert, not from the clocks on trial";
    EXPECT_EQ(150u, gApp.mem.baseline);
    EXPECT_EQ(130u, Dword(kTestSettingsKey, "Gracie"));
    EXPECT_EQ("show", dialogs_.calls.back());
}

TEST_F(ApplyTransaction, AClockWithoutCoefficientsLeavesItsDomainAndTheReadBackShowsIt)
{
    // A TNT whose graphics clock runs where its search finds nothing (152 MHz
    // and up): the memory clock changes, the graphics register is not written.
    UseBoard(BoardKind::TNT, 0x0020);
    LoadSettings();
    const uint32_t gfxWord = WordForClock(160);
    chip_.Poke32(kGfxPllOffset, gfxWord);
    gApp.gfx.applied = 160;
    Select(155, 120);
    trace_.Clear();

    RunApply(&dialogs_);

    EXPECT_EQ(gfxWord, LiveGfxWord());
    EXPECT_EQ(0, RegisterWrites(kGfxPllOffset));
    EXPECT_EQ(2, RegisterWrites(kMemPllOffset));
    EXPECT_EQ(160u, gApp.gfx.selected);  // not the 155 asked for
    EXPECT_EQ(160u, gApp.gfx.applied);
    EXPECT_EQ(160u, gApp.gfx.pendingBoot);
    EXPECT_EQ(120u, gApp.mem.selected);
}

TEST_F(ApplyTransaction, SecondConfirmedApplyStopsThePendingStoreBeforeWriting)
{
    Select(135, 160);
    RunApply(&dialogs_);
    ASSERT_EQ(kBootTimer, gApp.ui.bootTimer);

    Select(140, 166);
    dialogs_.calls.clear();
    dialogs_.timerToGive = 4711;
    RunApply(&dialogs_);
    EXPECT_EQ((Calls{"confirm", "stop-boot-timer 27050", "keep", "start-boot-timer", "show+focus"}),
              dialogs_.calls);
    EXPECT_EQ(4711u, gApp.ui.bootTimer);
    EXPECT_EQ(140u, gApp.gfx.pendingBoot);

    // A cancelled confirmation leaves the pending store running.
    dialogs_.calls.clear();
    dialogs_.confirmCommand = kCommandDecline;
    RunApply(&dialogs_);
    EXPECT_EQ(Calls{"confirm"}, dialogs_.calls);
    EXPECT_EQ(4711u, gApp.ui.bootTimer);
}

TEST_F(ApplyTransaction, BootStoreRecordsTheKeptClocksOnceAndMovesTheBaseline)
{
    gApp.driverBuild = kFirstCompanionDriverBuild - 1;
    Select(135, 160);
    RunApply(&dialogs_);
    dialogs_.calls.clear();

    RunBootStore(&dialogs_);

    EXPECT_EQ((Calls{"stop-boot-timer 27050", "show"}), dialogs_.calls);
    EXPECT_EQ(0u, gApp.ui.bootTimer);
    EXPECT_EQ(135u, Dword(kTestSettingsKey, "Gracie"));
    EXPECT_EQ(160u, Dword(kTestSettingsKey, "George"));
    EXPECT_TRUE(Has(kTestSystemKey, "Gracie"));
    EXPECT_EQ(0u, gApp.gfx.pendingBoot);
    EXPECT_EQ(135u, gApp.gfx.baseline);
    EXPECT_EQ(160u, gApp.mem.baseline);

    // While a clock test job runs the chip at clocks on trial, the store waits for its end.
    Select(140, 166);
    RunApply(&dialogs_);
    gApp.ui.clockTestRunning = 1;
    RunBootStore(&dialogs_);
    EXPECT_EQ(1u, gApp.ui.bootStoreDue);
    EXPECT_EQ(135u, Dword(kTestSettingsKey, "Gracie"));
}

TEST(ApplyRules, RevertTargetsAndBootStoreByOutcome)
{
    gApp = AppState();
    gApp.gfx.applied = 130;
    gApp.mem.applied = 155;
    gApp.gfx.baseline = 125;
    gApp.mem.baseline = 150;
    const struct {
        uint32_t keepResult;
        uint32_t gfx, mem;
    } reverts[] = {{kKeepDeclined, 130, 155}, {kKeepTimedOut, 125, 150}, {7, 125, 150}};
    for (const auto& c : reverts) {
        uint32_t gfx = 0, mem = 0;
        RevertTargets(TakeRevertPoint(), c.keepResult, &gfx, &mem);
        EXPECT_EQ(c.gfx, gfx) << c.keepResult;
        EXPECT_EQ(c.mem, mem) << c.keepResult;
    }
    EXPECT_TRUE(StartsBootStore(kKeepKept, 0));
    EXPECT_FALSE(StartsBootStore(kKeepKept, 1));
    EXPECT_FALSE(StartsBootStore(kKeepKept, 2));  // any nonzero flag
    EXPECT_FALSE(StartsBootStore(kKeepDeclined, 0));
    EXPECT_FALSE(StartsBootStore(kKeepTimedOut, 0));
    gApp = AppState();
}

TEST(ApplyRules, DialogCommandsAndTimers)
{
    gApp = AppState();
    gApp.ui.confirmResult = 1;
    ConfirmBegin();
    EXPECT_EQ(0u, gApp.ui.confirmResult);
    EXPECT_EQ(0, ConfirmCommandEnds(2));  // Esc
    EXPECT_EQ(0, ConfirmCommandEnds(1101));
    EXPECT_EQ(1, ConfirmCommandEnds(1100));
    EXPECT_EQ(1u, gApp.ui.confirmResult);
    EXPECT_EQ(1, ConfirmCommandEnds(1102));
    EXPECT_EQ(0u, gApp.ui.confirmResult);

    gApp.ui.keepResult = 0;
    KeepBegin();
    EXPECT_EQ(kKeepDeclined, gApp.ui.keepResult);
    EXPECT_EQ(0, KeepCommandEnds(2));
    EXPECT_EQ(0, KeepTimerEnds(kBootTimer));
    EXPECT_EQ(kKeepDeclined, gApp.ui.keepResult);
    EXPECT_EQ(1, KeepCommandEnds(1102));
    EXPECT_EQ(kKeepDeclined, gApp.ui.keepResult);
    EXPECT_EQ(1, KeepTimerEnds(27067));
    EXPECT_EQ(kKeepTimedOut, gApp.ui.keepResult);
    EXPECT_EQ(1, KeepCommandEnds(1100));
    EXPECT_EQ(kKeepKept, gApp.ui.keepResult);
    gApp = AppState();
}

}  // namespace
