// The clock test on velkor-sim.exe: a search with the clocks back afterwards
// and the suggestion on the slider; "&Stop", Esc, Windows ending and "E&xit"
// in the middle of a job; and a test that stops the machine, told at the
// next start.
#include "e2e_apply_steps.h"

#include "clock_test/memtest_pattern.h"

#include <commctrl.h>
#include <stdio.h>

#include <algorithm>

namespace {

using namespace e2e_apply;

const int kClockTestCommand = 255, kCoreRadio = 1202, kSecondsSpin = 1204, kTestButton = 1205, kFindButton = 1206,
          kStopButton = 1207, kStatus = 1209, kCloseButton = 1212;
const char kClockTestTitle[] = "Clock Test";
const char kProgramTitle[] = "ZuvoVuzozuzo";
const uint32_t kMemPll = 0x680504;

HWND OpenClockTest(const Sim& sim, HWND main, int seconds)
{
    PostMessageA(main, WM_SYSCOMMAND, kClockTestCommand, 0);
    HWND dialog = WaitForDialog(sim, kClockTestTitle);
    E2E_REQUIRE(dialog);
    SendMessageA(GetDlgItem(dialog, kSecondsSpin), UDM_SETPOS, 0, MAKELONG(seconds, 0));
    return dialog;
}

bool StatusBegins(HWND dialog, const std::string& start, int timeoutMs = 10000)
{
    return WaitUntil([&] { return Text(dialog, kStatus).compare(0, start.size(), start) == 0; }, timeoutMs);
}

}  // namespace

E2E_SCENARIO(clock_test_search_puts_the_clocks_back_and_suggests_on_the_slider)
{
    const struct {
        const char* setup;
        int radio, slider, label;
        const char *domain, *shot;
        uint32_t okMHz;
    } cases[] = {
        {"board=TNT2 memok=160 seed=7", 0, kMemSlider, kMemLabel, "memory", "tnt2_memory", 160},
        {"board=GravenorPro ddr=1 gfxok=130", kCoreRadio, kGfxSlider, kGfxLabel, "graphics core", "geforce_core", 130},
    };
    for (const auto& c : cases) {
        Chip chip;
        Sim sim = Sim::Start("", c.setup);
        HWND main = StartShown(&sim, &chip);
        const uint32_t gfx = chip.GfxMHz(), mem = chip.MemMHz();
        auto tested = [&] { return c.radio ? chip.GfxMHz() : chip.MemMHz(); };
        HWND dialog = OpenClockTest(sim, main, 1);
        if (c.radio)
            Click(dialog, c.radio);
        Shot(std::string("clock_test_idle_") + c.shot, dialog);
        const std::vector<std::string> settings = ValueNames(kSettingsKey);
        const DWORD started = GetTickCount();
        Click(dialog, kFindButton);
        E2E_CHECK(WaitUntil([&] { return Enabled(dialog, kStopButton); }));
        uint32_t highestRun = 0;
        E2E_CHECK(WaitUntil([&] {
            if (highestRun < c.okMHz - 3 && tested() >= c.okMHz - 3)
                Shot(std::string("clock_test_searching_") + c.shot, dialog);
            highestRun = std::max(highestRun, tested());
            return !Enabled(dialog, kStopButton);
        }, 120000));
        const std::string result = Text(dialog, kStatus);
        Note(result + " (" + std::to_string((GetTickCount() - started) / 1000) + " s)");
        Shot(std::string("clock_test_result_") + c.shot, dialog);
        unsigned clean = 0, failing = 0, suggested = 0;
        E2E_CHECK_MSG(sscanf(result.c_str(), ("Highest clean " + std::string(c.domain) +
                                              " clock: %u MHz (errors from %u MHz). Suggested: %u MHz").c_str(),
                             &clean, &failing, &suggested) == 3, result);
        E2E_CHECK_MSG(clean <= c.okMHz && clean + 3 >= c.okMHz && failing > clean, result);
        E2E_CHECK_EQ(clean * 95 / 100, suggested);
        E2E_CHECK(highestRun > c.okMHz);
        E2E_CHECK_EQ(gfx, chip.GfxMHz());
        E2E_CHECK_EQ(mem, chip.MemMHz());
        // The suggestion waits on the slider for "&Apply"; nothing was saved or recorded.
        E2E_CHECK_EQ(static_cast<int>(suggested), SliderPos(main, c.slider));
        E2E_CHECK(Text(main, c.label).find(" at " + std::to_string(suggested) + " M") != std::string::npos);
        E2E_CHECK(settings == ValueNames(kSettingsKey));
        Click(dialog, kCloseButton);
        E2E_CHECK(WaitGone(dialog));
        E2E_CHECK(WaitUntil([&] { return Enabled(main, kApply); }));
        E2E_CHECK_EQ(0u, sim.Exit());
    }
}

E2E_SCENARIO(clock_test_stop_and_exit_mid_job_put_the_clocks_back)
{
    Chip chip;
    Sim sim = Sim::Start("", "board=GravenorPro ddr=1 gfxok=130");
    HWND main = StartShown(&sim, &chip);
    const uint32_t gfx = chip.GfxMHz(), mem = chip.MemMHz();
    HWND dialog = OpenClockTest(sim, main, 2);
    Click(dialog, kCoreRadio);
    Click(dialog, kFindButton);
    E2E_REQUIRE(WaitUntil([&] { return chip.GfxMHz() > gfx; }, 60000));
    // "&Apply" is refused while the job has the chip.
    PostMessageA(main, WM_COMMAND, kApply, 0);
    Barrier(main);
    E2E_CHECK(!sim.FindWindowTitled(kConfirmTitle));

    const DWORD stopped = GetTickCount();
    Click(dialog, kStopButton);
    E2E_CHECK(WaitUntil([&] { return chip.GfxMHz() == gfx; }, 2000));
    E2E_CHECK_MSG(GetTickCount() - stopped <= 500, GetTickCount() - stopped << " ms");
    E2E_CHECK(StatusBegins(dialog, "Stopped."));
    // The totals of the last clock stay, with what they mean.
    const std::string stoppedText = Text(dialog, kStatus);
    E2E_CHECK_MSG(stoppedText.find(" MHz: ") != std::string::npos && stoppedText.find(" frames, ") != std::string::npos,
                  stoppedText);
    E2E_CHECK(Enabled(dialog, kFindButton));
    E2E_CHECK(Focus(dialog) && IsWindowEnabled(Focus(dialog)));
    uint32_t note = 0;
    E2E_CHECK(!ReadDword(kSettingsKey, "Clock Test Core", &note));

    // "E&xit" from the tray during a test: the clocks go back before the end.
    Click(dialog, kTestButton);
    E2E_CHECK(StatusBegins(dialog, "Testing the graphics core clock"));
    E2E_CHECK_EQ(0u, sim.Exit());
    E2E_CHECK_EQ(gfx, chip.GfxMHz());
    E2E_CHECK_EQ(mem, chip.MemMHz());
}

E2E_SCENARIO(clock_test_esc_and_windows_ending_put_back_a_word_velkor_would_not_write)
{
    // A 13.5 MHz board's own memory word (141.2 MHz, with errors): no whole
    // MHz Velkor writes is this word.
    Chip chip;
    Sim sim = Sim::Start("", "board=TNT2 xtal=13.5 mem=0000880D memok=140");
    HWND main = StartShown(&sim, &chip);
    const uint32_t gfxWord = chip.Read32(kMemPll - 4);
    HWND dialog = OpenClockTest(sim, main, 1);
    Click(dialog, kFindButton);
    E2E_REQUIRE(WaitUntil([&] { return chip.Read32(kMemPll) != 0x0000880Du; }, 60000));
    // The keyboard works while a job runs: the focus is on "&Stop", and Esc stops.
    HWND focus = Focus(dialog);
    E2E_CHECK(focus == GetDlgItem(dialog, kStopButton));
    PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0);
    E2E_CHECK(StatusBegins(dialog, "Stopped."));
    E2E_CHECK_EQ(0x0000880Du, chip.Read32(kMemPll));
    E2E_CHECK_EQ(gfxWord, chip.Read32(kMemPll - 4));
    E2E_CHECK(Visible(dialog));

    // A test that meets errors, stopped: the verdict stays with the totals.
    Click(dialog, kTestButton);
    E2E_CHECK(WaitUntil([&] { return Text(dialog, kStatus).find("failing bits") != std::string::npos; }, 30000));
    Click(dialog, kStopButton);
    E2E_CHECK(StatusBegins(dialog, "Stopped."));
    E2E_CHECK_MSG(Text(dialog, kStatus).find("Errors at 141 MHz: this clock is too high") != std::string::npos,
                  Text(dialog, kStatus));
    Shot("clock_test_stopped_with_errors", dialog);

    // Windows ends during a search: the word goes back, the note goes, Velkor
    // ends. A second start posted meanwhile changes nothing.
    Click(dialog, kFindButton);
    E2E_REQUIRE(WaitUntil([&] { return chip.Read32(kMemPll) != 0x0000880Du; }, 60000));
    PostMessageA(dialog, WM_COMMAND, kFindButton, 0);
    PumpFor(300);
    DWORD_PTR answer = 0;
    E2E_CHECK(SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer) && answer);
    E2E_CHECK_EQ(0x0000880Du, chip.Read32(kMemPll));
    SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &answer);
    E2E_CHECK(sim.WaitExit() != STILL_ACTIVE);
    E2E_CHECK_EQ(0x0000880Du, chip.Read32(kMemPll));
    uint32_t note = 0;
    E2E_CHECK(!ReadDword(kSettingsKey, "Clock Test", &note));
}

E2E_SCENARIO(clock_test_that_stops_the_machine_is_told_at_the_next_start_and_each_clock_keeps_its_own)
{
    WriteDword(kSettingsKey, "MEM Max", 183);
    {
        Chip chip;
        Sim sim = Sim::Start("", "board=TNT2 memok=180 memhang=165");
        HWND dialog = OpenClockTest(sim, StartShown(&sim, &chip), 1);
        Click(dialog, kFindButton);
        E2E_CHECK(sim.WaitExit(60000) != STILL_ACTIVE);
    }
    uint32_t stoppedAt = 0;
    E2E_CHECK(ReadDword(kSettingsKey, "Clock Test", &stoppedAt));
    E2E_CHECK_MSG(stoppedAt > 165 && stoppedAt < 170, stoppedAt);  // a memory clock, not yet told
    const std::string mhz = std::to_string(stoppedAt) + " MHz";
    {
        // Told once; then a search of the graphics core clock stops the
        // machine too, and the memory clock's note must survive it.
        Chip chip;
        Sim sim = Sim::Start("", "board=TNT2 memok=180 memhang=180 gfxok=150 gfxhang=131");
        HWND box = WaitForDialog(sim, kProgramTitle);
        E2E_REQUIRE(box);
        const std::string told = StaticTexts(box);
        E2E_CHECK_MSG(told.find("The last test of the memory clock did not finish at " + mhz) == 0, told);
        E2E_CHECK_MSG(told.find("Find Highest stays below it") != std::string::npos, told);
        Shot("clock_test_hang_message", box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        HWND dialog = OpenClockTest(sim, StartShown(&sim, &chip), 1);
        Click(dialog, kCoreRadio);
        Click(dialog, kFindButton);
        E2E_CHECK(sim.WaitExit(60000) != STILL_ACTIVE);
    }
    {
        Chip chip;
        Sim sim = Sim::Start("", "board=TNT2 memok=180 memhang=180");
        HWND box = WaitForDialog(sim, kProgramTitle);
        E2E_REQUIRE(box);
        const std::string told = StaticTexts(box);
        E2E_CHECK_MSG(told.find("The last test of the graphics core clock did not finish at 13") == 0, told);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        HWND dialog = OpenClockTest(sim, StartShown(&sim, &chip), 1);
        Click(dialog, kFindButton);
        E2E_CHECK(StatusBegins(dialog, "No errors up to ", 120000));
        E2E_CHECK_MSG(Text(dialog, kStatus).find("just below " + mhz) != std::string::npos, Text(dialog, kStatus));
        E2E_CHECK_EQ(0u, sim.Exit());
    }
    {
        // A clean test at or above that clock clears it; this start says nothing.
        Chip chip;
        E2E_REQUIRE(chip.Prepare("board=TNT2", 0, 170));
        Sim sim = Sim::Start("", "board=TNT2 memok=180 memhang=180");
        HWND dialog = OpenClockTest(sim, StartShown(&sim, &chip), 1);
        Click(dialog, kTestButton);
        E2E_CHECK(StatusBegins(dialog, "Testing the memory clock at 170 MHz"));
        // A whole round, however long it takes on this machine.
        E2E_CHECK(WaitUntil([&] {
            const std::string status = Text(dialog, kStatus);
            return status.find(" round") != std::string::npos && status.find(", 0 rounds") == std::string::npos;
        }, 120000));
        Click(dialog, kStopButton);
        E2E_CHECK(StatusBegins(dialog, "Stopped."));
        E2E_CHECK(!ReadDword(kSettingsKey, "Clock Test", &stoppedAt));
        E2E_CHECK_EQ(0u, sim.Exit());
    }
}

// The core test renders: on the simulated GeForce 256 DDR, whose 3D pipeline
// errs above 130 MHz and whose copies hold to 138, the search ends within
// 3 MHz of 130 while counting frames and artifacts. Without DirectX 6 only
// the copies run, both the status and the result say so, and they pass higher.
E2E_SCENARIO(clock_test_core_search_renders_and_finds_the_3d_limit_below_the_copies)
{
    unsigned highest[2] = {};
    for (int copiesOnly = 0; copiesOnly < 2; ++copiesOnly) {
        const std::string shot = copiesOnly ? "copies_only" : "rendering";
        Chip chip;
        Sim sim = Sim::Start("", std::string("board=GravenorPro ddr=1 gfxok=130 gfx2dok=138") +
                                     (copiesOnly ? " d3d=0" : ""));
        HWND main = StartShown(&sim, &chip);
        const uint32_t gfx = chip.GfxMHz();
        HWND dialog = OpenClockTest(sim, main, 1);
        Click(dialog, kCoreRadio);
        Click(dialog, kFindButton);
        E2E_CHECK(WaitUntil([&] { return Enabled(dialog, kStopButton); }));
        bool framesCounted = false, only2d = false, shotTaken = false;
        const DWORD started = GetTickCount();
        E2E_CHECK(WaitUntil([&] {
            const std::string status = Text(dialog, kStatus);
            framesCounted |= status.find(" frames, ") != std::string::npos &&
                             status.find(" artifacts, ") != std::string::npos;
            only2d |= status.find("only 2D copies: 3D needs DirectX 6 or later") != std::string::npos;
            if (!shotTaken && chip.GfxMHz() >= 128 &&
                (copiesOnly || status.find("rendering the 3D scene") != std::string::npos)) {
                shotTaken = true;
                Shot("clock_test_core_searching_" + shot, dialog);
            }
            return !Enabled(dialog, kStopButton);
        }, 400000));
        const std::string result = Text(dialog, kStatus);
        Note(result + " (" + std::to_string((GetTickCount() - started) / 1000) + " s)");
        Shot("clock_test_core_result_" + shot, dialog);
        unsigned clean = 0, failing = 0;
        if (sscanf(result.c_str(), "Highest clean graphics core clock: %u MHz (errors from %u MHz)", &clean,
                   &failing) != 2)
            sscanf(result.c_str(), "No errors up to %u MHz", &clean);
        highest[copiesOnly] = clean;
        E2E_CHECK_MSG(framesCounted != (copiesOnly != 0) && only2d == (copiesOnly != 0), result);
        E2E_CHECK_EQ(copiesOnly != 0, result.find(" Only 2D copies were tested: 3D needs DirectX 6 or later.") !=
                                          std::string::npos);
        E2E_CHECK_EQ(gfx, chip.GfxMHz());
        E2E_CHECK_EQ(0u, sim.Exit());
    }
    E2E_CHECK_MSG(highest[0] <= 130 && highest[0] + 3 >= 130, highest[0]);
    E2E_CHECK_MSG(highest[1] > 130 + 3, highest[1] << " MHz with the copies alone");
}
