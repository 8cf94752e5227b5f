#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "ui/main_window_rules.h"

namespace {

TEST(MainWindowTitle, OneTitlePerBoardKindAndNvidiaForTheRest)
{
    const struct {
        uint32_t kind;
        const char* title;
    } cases[] = {
        {0, "ZuvoVuzozuzo for NVIDIA"},        {1, "ZuvoVuzozuzo for TNT"},
        {2, "ZuvoVuzozuzo for TNT2"},          {3, "ZuvoVuzozuzo for Ultra-TNT2"},
        {4, "ZuvoVuzozuzo for VANTA"},         {5, "ZuvoVuzozuzo for TNT2 Value"},
        {6, "ZuvoVuzozuzo for Gravenor"},      {7, "ZuvoVuzozuzo for Gravenor PRO"},
        {8, "ZuvoVuzozuzo for NVIDIA"},        {999, "ZuvoVuzozuzo for NVIDIA"},
        {0xFFFFFFFFu, "ZuvoVuzozuzo for NVIDIA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const char* title = MainWindowTitle(static_cast<BoardKind>(c.kind));
        EXPECT_STREQ(c.title, title);
        // Every title must be found by the running-instance search and fit its buffer.
        EXPECT_EQ(1, IsInstanceTitle(title));
        EXPECT_LT(strlen(title), static_cast<size_t>(kInstanceTitleBytes));
    }
}

TEST(IsInstanceTitle, MatchesTheFirstSixteenCharactersExactly)
{
    const struct {
        const char* title;
        int matches;
    } cases[] = {
        {"ZuvoVuzozuzo for", 1},
        {"zuvovuzozuzo FOR some other program", 0},
        {"ZUVOVUZOZUZO FOR", 0},
        {"ZuvoVuzozuzo For TNT2", 0},
        {"ZuvoVuzozuzo form", 1},  // only 16 characters count
        {"ZuvoVuzozuzo fo", 0},    // too short
        {"ZuvoVuzozuzo", 0},
        {"", 0},
        {"About ZuvoVuzozuzo", 0},
        {"Apply ZuvoVuzozuzo", 0},
        {"ZuvoVuzozuzo Limits", 0},
        {"ZuvoVuzozuzo Confirmation", 0},
        {"Restore ZuvoVuzozuzo", 0},
        {" ZuvoVuzozuzo for TNT", 0},
        {"ZuvoVuzozuzo_for TNT", 0},
        {"ZuvoVuzozuzo\tfor", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(c.matches, IsInstanceTitle(c.title));
    }
    EXPECT_EQ(0, IsInstanceTitle(nullptr));
}

AppState StateAt(uint32_t gfxSelected, uint32_t gfxApplied, uint32_t memSelected, uint32_t memApplied,
                 uint32_t reset, uint32_t resetApplied)
{
    AppState app;
    app.gfx.defaultClock = 125;
    app.mem.defaultClock = 150;
    app.gfx.selected = gfxSelected;
    app.gfx.applied = gfxApplied;
    app.mem.selected = memSelected;
    app.mem.applied = memApplied;
    app.resetOnReboot = reset;
    app.resetOnRebootApplied = resetApplied;
    return app;
}

TEST(ComputeMainButtons, ResetFollowsTheDefaultsAndApplyTheLastApply)
{
    const struct {
        const char* what;
        AppState app;
        bool reset;
        bool apply;
    } cases[] = {
        {"at defaults, nothing changed", StateAt(125, 125, 150, 150, 1, 1), false, false},
        {"graphics slider moved", StateAt(130, 125, 150, 150, 1, 1), true, true},
        {"memory slider moved", StateAt(125, 125, 160, 150, 1, 1), true, true},
        {"live clocks off the defaults", StateAt(135, 135, 160, 160, 1, 1), true, false},
        {"moved to the defaults from elsewhere", StateAt(125, 135, 150, 160, 1, 1), false, true},
        {"only the check box changed", StateAt(125, 125, 150, 150, 0, 1), false, true},
        {"check box changed back", StateAt(125, 125, 150, 150, 0, 0), false, false},
        {"any nonzero flag counts only when equal", StateAt(125, 125, 150, 150, 2, 1), false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MainButtonStates states = ComputeMainButtons(c.app);
        EXPECT_EQ(c.reset, states.resetToDefaults);
        EXPECT_EQ(c.apply, states.apply);
    }
}

// Runs the countdown over a sequence of messages: 'S' is WM_SHOWWINDOW, 'm'
// any other message. Returns which messages hid the window.
std::string RunCountdown(int32_t start, const char* messages, int32_t* end)
{
    int32_t countdown = start;
    std::string hidden;
    for (const char* m = messages; *m; ++m) {
        hidden += HideCountdownStep(&countdown) ? 'H' : '.';
        if (*m == 'S')
            ArmHideCountdown(&countdown);
    }
    *end = countdown;
    return hidden;
}

TEST(RefusedWhileBusy, NothingTouchesTheChipOrTheLimitsUnderAnotherOne)
{
    int dialogHandle = 0;
    const struct {
        const char* what;
        uint32_t jobRuns, applyRuns;
        bool limitsOpen, testOpen;
        bool apply, limits, openTest, startJob;
    } cases[] = {
        {"idle", 0, 0, false, false, false, false, false, false},
        {"the clock test dialog open, idle", 0, 0, false, true, false, false, true, false},
        {"a job runs", 1, 0, false, true, true, true, true, true},
        {"an apply runs", 0, 1, false, true, false, false, true, true},
        {"the limits dialog open", 0, 0, true, true, false, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppState app;
        app.ui.clockTestRunning = c.jobRuns;
        app.ui.applyRunning = c.applyRuns;
        app.ui.limitsDialog = c.limitsOpen ? &dialogHandle : nullptr;
        app.ui.clockTestDialog = c.testOpen ? &dialogHandle : nullptr;
        EXPECT_EQ(c.apply, RefusedWhileBusy(app, BusyAsk::Apply));
        EXPECT_EQ(c.limits, RefusedWhileBusy(app, BusyAsk::Limits));
        EXPECT_EQ(c.openTest, RefusedWhileBusy(app, BusyAsk::OpenClockTest));
        EXPECT_EQ(c.startJob, RefusedWhileBusy(app, BusyAsk::StartClockTest));
    }
}

TEST(HideCountdown, AHiddenStartHidesTenMessagesAfterTheFirstShowingThenStops)
{
    int32_t end = 0;
    EXPECT_EQ(".HHHHHHHHHH....", RunCountdown(1, "Smmmmmmmmmmmmmm", &end));
    EXPECT_EQ(2, end);
    // Showing again later (Restore) is not undone.
    EXPECT_EQ("....", RunCountdown(2, "SmSm", &end));
    EXPECT_EQ(2, end);
}

TEST(HideCountdown, ANormalStartNeverHides)
{
    int32_t end = 0;
    EXPECT_EQ("......", RunCountdown(0, "SmmSmm", &end));
    EXPECT_EQ(0, end);
}

TEST(HideCountdown, MessagesBeforeTheFirstShowingDoNotCount)
{
    int32_t end = 0;
    EXPECT_EQ("....HH", RunCountdown(1, "mmmSmm", &end));
    EXPECT_EQ(10, end);
}

TEST(HideCountdown, AnExplicitRestoreEndsWhatIsLeft)
{
    int32_t countdown = 7;
    EndHideCountdown(&countdown);
    EXPECT_EQ(kHideCountdownSpent, countdown);
    EXPECT_EQ(0, HideCountdownStep(&countdown));
    // A normal start and a hidden start not yet shown stay as they are.
    for (int32_t start : {0, 1, 2}) {
        countdown = start;
        EndHideCountdown(&countdown);
        EXPECT_EQ(start, countdown);
    }
}

TEST(TrayCallbackAction, OnlyTheLeftDoubleClickAndTheRightPressOfOurIcon)
{
    const uintptr_t mouseMessages[] = {0x200, 0x201, 0x202, 0x203, 0x204, 0x205, 0x206, 0x207, 0x208, 0x209};
    for (uintptr_t mouse : mouseMessages) {
        SCOPED_TRACE(mouse);
        TrayAction expected = mouse == 0x203 ? TrayAction::Restore
                              : mouse == 0x204 ? TrayAction::Menu
                                               : TrayAction::None;
        EXPECT_EQ(expected, TrayCallbackAction(1001, mouse));
        EXPECT_EQ(TrayAction::None, TrayCallbackAction(1000, mouse));
        EXPECT_EQ(TrayAction::None, TrayCallbackAction(1002, mouse));
    }
}

TEST(MainCommands, EachCommandArrivesOnlyTheWaysItIsOffered)
{
    const struct {
        uint32_t id;
        MainCommand asCommand;
        MainCommand asSystemCommand;
    } cases[] = {
        {250, MainCommand::Restore, MainCommand::None},
        {251, MainCommand::About, MainCommand::About},
        {252, MainCommand::Exit, MainCommand::None},
        {253, MainCommand::None, MainCommand::RefreshDesktop},
        {254, MainCommand::None, MainCommand::Limits},
        {255, MainCommand::None, MainCommand::ClockTest},
        {1101, MainCommand::Apply, MainCommand::None},
        {1102, MainCommand::Close, MainCommand::None},
        {1106, MainCommand::ResetToDefaults, MainCommand::None},
        {1115, MainCommand::ResetOnRebootBox, MainCommand::None},
        {1, MainCommand::None, MainCommand::None},  // Enter without a default button
        {2, MainCommand::None, MainCommand::None},  // Esc: the window stays
        {1105, MainCommand::None, MainCommand::None},
        {0xF060, MainCommand::None, MainCommand::None},  // SC_CLOSE goes to the dialog manager
        {0xF010, MainCommand::None, MainCommand::None},  // SC_MOVE
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(c.asCommand, CommandFromDialog(c.id));
        EXPECT_EQ(c.asSystemCommand, CommandFromSystemMenu(c.id));
    }
}

TEST(CentreLogoPlace, CentresAcrossAndAboveTheLinkTwoPixelsLower)
{
    // The main window at 1.75 pixels per dialog unit: 385 pixels wide, the
    // link's top at 49; a 247 x 41 logo.
    LogoPlace place = CentreLogoPlace(385, 247, 41, 49);
    EXPECT_EQ(69, place.x);
    EXPECT_EQ(6, place.y);
    // Odd differences truncate toward zero, also when negative.
    place = CentreLogoPlace(100, 103, 20, 9);
    EXPECT_EQ(-1, place.x);   // -3 / 2
    EXPECT_EQ(-3, place.y);   // -11 / 2 + 2 = -5 + 2
    place = CentreLogoPlace(101, 50, 10, 11);
    EXPECT_EQ(25, place.x);
    EXPECT_EQ(2, place.y);
}

TEST(CopyTrayTip, KeepsAtMostSixtyThreeCharactersAndATerminatingNul)
{
    char tip[kTrayTipBytes];
    memset(tip, 'x', sizeof(tip));
    CopyTrayTip(tip, "Velkor");
    EXPECT_STREQ("Velkor", tip);
    EXPECT_EQ(std::vector<char>(kTrayTipBytes - 6, '\0'), std::vector<char>(tip + 6, tip + kTrayTipBytes));

    std::string longText(100, 'a');
    CopyTrayTip(tip, longText.c_str());
    EXPECT_EQ(std::string(63, 'a'), std::string(tip));
    EXPECT_EQ('\0', tip[63]);

    CopyTrayTip(tip, std::string(63, 'b').c_str());
    EXPECT_EQ(std::string(63, 'b'), std::string(tip));

    CopyTrayTip(tip, nullptr);
    EXPECT_STREQ("", tip);
}

}  // namespace
