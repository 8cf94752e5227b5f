// arbolt-sim.exe at log-on, after velkor-sim.exe kept clocks with a display
// driver of build 400: the chip gets Velkor's words back, the registry is
// left as it was, and every way of refusing ends with its exit code and
// without a window.
#include <algorithm>
#include <map>
#include <utility>

#include "e2e_apply_steps.h"
#include "settings/boot_word.h"

namespace {

using namespace e2e_apply;

const uint16_t kTnt2DeviceId = 0x0028;
const uint32_t kGfxPll = 0x680500, kMemPll = 0x680504;
const DWORD kExitProgrammed = 0, kExitNoBoard = 1, kExitNoRecord = 2, kExitRefused = 3,
            kExitBadSimSetup = 4, kExitBadUsage = 64;

struct WindowWatch {
    DWORD processId = 0;
    std::vector<HWND> seen;
};

BOOL CALLBACK NoteShownWindow(HWND window, LPARAM data)
{
    WindowWatch* watch = reinterpret_cast<WindowWatch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == watch->processId && IsWindowVisible(window) &&
        std::find(watch->seen.begin(), watch->seen.end(), window) == watch->seen.end())
        watch->seen.push_back(window);
    return TRUE;
}

struct ArboltRun {
    DWORD exitCode = STILL_ACTIVE;
    int windowsShown = 0;  // visible top-level windows of the process, ever
    bool registryChanged = false;
    DWORD milliseconds = 0;
};

// Every value, with its type and bytes, of the keys that Velkor's boot store
// and Arbolt know.
using RegistryPicture = std::map<std::string, std::pair<DWORD, std::vector<uint8_t>>>;

RegistryPicture PictureOfRegistry()
{
    RegistryPicture picture;
    for (const char* path : {kSettingsKey, kTweakKey, kRunKey, kRivaTntSystemKey}) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        for (DWORD i = 0;; ++i) {
            char name[256];
            DWORD nameSize = sizeof name, type = 0;
            uint8_t data[1024];
            DWORD dataSize = sizeof data;
            if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize) != ERROR_SUCCESS)
                break;
            picture[std::string(path) + "|" + name] = {type, std::vector<uint8_t>(data, data + dataSize)};
        }
        RegCloseKey(key);
    }
    return picture;
}

std::string ArboltPath()
{
    const std::string& sim = SimPath();
    size_t slash = sim.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : sim.substr(0, slash + 1)) + "arbolt-sim.exe";
}

// Starts arbolt-sim.exe on the simulated PC and watches its windows until it
// ends: a message box or a window of any kind would be seen, and a box
// waiting for an answer would keep it from ending. The registry is compared
// before and after.
ArboltRun RunArbolt(const std::string& simConfig, const std::string& tail = "")
{
    ArboltRun run;
    const RegistryPicture before = PictureOfRegistry();
    SetEnvironmentVariableA("VELKOR_SIM", simConfig.c_str());
    std::string commandLine = "\"" + ArboltPath() + "\"" + tail;
    PROCESS_INFORMATION info = {};
    const DWORD started = GetTickCount();
    if (!StartVerbatim(commandLine, &info)) {
        RecordFailure(__FILE__, __LINE__, "cannot start " + commandLine);
        throw ScenarioAbort();
    }

    WindowWatch watch;
    watch.processId = info.dwProcessId;
    while (WaitForSingleObject(info.hProcess, 5) == WAIT_TIMEOUT && GetTickCount() - started < 20000)
        EnumWindows(NoteShownWindow, reinterpret_cast<LPARAM>(&watch));
    run.milliseconds = GetTickCount() - started;
    GetExitCodeProcess(info.hProcess, &run.exitCode);
    if (run.exitCode == STILL_ACTIVE) {
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hProcess);
    run.windowsShown = static_cast<int>(watch.seen.size());
    run.registryChanged = !(before == PictureOfRegistry());
    Note("arbolt-sim.exe (" + simConfig + "): exit code " + std::to_string(run.exitCode) + " after " +
         std::to_string(run.milliseconds) + " ms");
    return run;
}

void ForgetBootRecords()
{
    DeleteKeyTree("SOFTWARE\\NVIDIA Corporation");
    DeleteValue(kRunKey, "NvInitialize");
}

void ExpectSilentEnd(const ArboltRun& run, DWORD exitCode)
{
    E2E_CHECK_EQ(exitCode, run.exitCode);
    E2E_CHECK_EQ(0, run.windowsShown);
    E2E_CHECK(!run.registryChanged);
}

}  // namespace

E2E_SCENARIO(arbolt_restores_the_words_of_velkors_kept_apply_after_a_reboot)
{
    ForgetBootRecords();
    DisplayCoreFile core(400);
    E2E_REQUIRE(core.Placed());
    WriteInstallPath("C:\\Velkor");
    Chip chip;
    uint32_t gfxWord = 0, memWord = 0;
    {
        Sim sim = Sim::Start("", "board=TNT2");
        HWND main = StartShown(&sim, &chip);
        Click(main, kResetOnReboot);  // untick: keep the clocks after a reboot
        E2E_CHECK(WaitUntil([&] { return !Checked(main, kResetOnReboot); }));
        KeepClocks(sim, main, 140, 160);
        gfxWord = chip.Read32(kGfxPll);
        memWord = chip.Read32(kMemPll);
        PostMessageA(main, WM_TIMER, kBootTimer, 0);  // five minutes later
        E2E_REQUIRE(WaitUntil([&] {
            uint32_t word;
            return ReadDword(kTweakKey, "Krusty", &word);
        }));
        E2E_CHECK_EQ(0u, sim.Exit());
    }
    // Windows starts again: the chip runs at its default words.
    chip.Write32(kGfxPll, chip.WordFor(125, 0, kTnt2));
    chip.Write32(kMemPll, chip.WordFor(150, 1, kTnt2));
    E2E_REQUIRE(chip.Read32(kGfxPll) != gfxWord);

    // A malformed switch is no log-on restore: its own exit code, the chip
    // and the registry untouched.
    const uint32_t defaultWord = chip.Read32(kGfxPll);
    for (const char* tail : {" -uninstall \"\"", " -uninstall C:\\Velkor\\Arbolt.exe", " -uninstall \"C:\\V",
                             " -running now", " -board x", " /"}) {
        ExpectSilentEnd(RunArbolt("board=TNT2", tail), kExitBadUsage);
        E2E_CHECK_MSG(chip.Read32(kGfxPll) == defaultWord, tail);
    }

    ExpectSilentEnd(RunArbolt("board=TNT2"), kExitProgrammed);
    E2E_CHECK_EQ(gfxWord, chip.Read32(kGfxPll));
    E2E_CHECK_EQ(memWord, chip.Read32(kMemPll));

    // The next log-on finds the clocks in place.
    ExpectSilentEnd(RunArbolt("board=TNT2"), kExitProgrammed);
    E2E_CHECK_EQ(gfxWord, chip.Read32(kGfxPll));
    E2E_CHECK_EQ(memWord, chip.Read32(kMemPll));

    // "Reset to Defaults on Reboot" ticked and saved by "&Close": the record
    // and its log-on entry go, so the boot after runs the defaults.
    {
        Sim sim = Sim::Start("", "board=TNT2");
        HWND main = StartShown(&sim, &chip);
        Click(main, kResetOnReboot);
        E2E_CHECK(WaitUntil([&] { return Checked(main, kResetOnReboot); }));
        Click(main, kClose);
        E2E_CHECK(WaitUntil([&] {
            uint32_t word;
            return !ReadDword(kTweakKey, "Krusty", &word);
        }));
        std::string command;
        E2E_CHECK(!ReadString(kRunKey, "NvInitialize", &command));
        E2E_CHECK_EQ(0u, sim.Exit());
    }
    ExpectSilentEnd(RunArbolt("board=TNT2"), kExitNoRecord);
    E2E_CHECK_EQ(gfxWord, chip.Read32(kGfxPll));
    ForgetBootRecords();
}

E2E_SCENARIO(arbolt_refuses_another_boards_record_and_ends_without_a_record_or_a_board)
{
    ForgetBootRecords();
    const uint32_t seed = 0x00C0FFEE;
    WriteDword(kTweakKey, "Homer", seed);
    WriteDword(kTweakKey, "Krusty", ScrambleBootClocks(140, 160, kTnt2DeviceId, seed));

    // The TNT2's record on a GeForce 256 DDR.
    Chip chip;
    E2E_REQUIRE(chip.Prepare("board=GravenorPro"));
    const uint32_t gfxWord = chip.Read32(kGfxPll), memWord = chip.Read32(kMemPll);
    ExpectSilentEnd(RunArbolt("board=GravenorPro"), kExitRefused);
    E2E_CHECK_EQ(gfxWord, chip.Read32(kGfxPll));
    E2E_CHECK_EQ(memWord, chip.Read32(kMemPll));

    // No board: an NVIDIA chip that is not supported.
    ExpectSilentEnd(RunArbolt("board=0x0030"), kExitNoBoard);
    // A set-up the simulator cannot use: an exit code, never a message box.
    ExpectSilentEnd(RunArbolt("board=Voodoo"), kExitBadSimSetup);

    // No record.
    ForgetBootRecords();
    chip.Close();
    E2E_REQUIRE(chip.Prepare("board=TNT2"));
    const uint32_t tnt2GfxWord = chip.Read32(kGfxPll);
    ExpectSilentEnd(RunArbolt("board=TNT2"), kExitNoRecord);
    E2E_CHECK_EQ(tnt2GfxWord, chip.Read32(kGfxPll));
}
