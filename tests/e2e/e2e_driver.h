#pragma once
// The end-to-end driver: a Win32 console program that runs under Wine beside
// velkor-sim.exe and drives it from outside, the way the user and the shell
// do: it starts the program with a simulated PC, finds its windows, clicks
// buttons, moves sliders, sends tray callbacks, and reads back texts,
// control states, the registry and the simulated chip.
//
// A scenario is a function registered with E2E_SCENARIO(name) in any .cpp
// file of this folder:
//
//   E2E_SCENARIO(close_hides_and_saves)
//   {
//       e2e::FreshWorld();
//       e2e::Sim sim = e2e::Sim::Start("", "board=TNT2");
//       HWND main = sim.MainWindow();
//       ...
//       E2E_CHECK(e2e::WaitUntil([&] { return !IsWindowVisible(main); }));
//   }
//
// E2E_CHECK records a failure and goes on; E2E_REQUIRE ends the scenario.
// Every scenario starts from FreshWorld(): no velkor-sim running, no
// settings key, no prepared chip.
#include <windows.h>

#include <stdint.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace e2e {

// ---- Registration and checks ---------------------------------------------

using ScenarioFunction = void (*)();
bool RegisterScenario(const char* name, ScenarioFunction run, const char* file);

#define E2E_SCENARIO(name)                                                                         \
    static void e2e_scenario_##name();                                                             \
    static const bool e2e_registered_##name = ::e2e::RegisterScenario(#name, e2e_scenario_##name, \
                                                                      __FILE__);                   \
    static void e2e_scenario_##name()

void RecordFailure(const char* file, int line, const std::string& what);
// Thrown by E2E_REQUIRE; the runner catches it and goes on with the next scenario.
struct ScenarioAbort {};

#define E2E_CHECK(condition)                                                \
    do {                                                                    \
        if (!(condition))                                                   \
            ::e2e::RecordFailure(__FILE__, __LINE__, "failed: " #condition); \
    } while (0)

#define E2E_CHECK_MSG(condition, message)                                     \
    do {                                                                      \
        if (!(condition)) {                                                   \
            std::ostringstream e2e_text_;                                     \
            e2e_text_ << "failed: " #condition " (" << message << ")";        \
            ::e2e::RecordFailure(__FILE__, __LINE__, e2e_text_.str());        \
        }                                                                     \
    } while (0)

#define E2E_CHECK_EQ(expected, actual)                                                           \
    do {                                                                                         \
        const auto& e2e_expected_ = (expected);                                                  \
        const auto& e2e_actual_ = (actual);                                                      \
        if (!(e2e_expected_ == e2e_actual_)) {                                                   \
            std::ostringstream e2e_text_;                                                        \
            e2e_text_ << #actual " is " << e2e_actual_ << ", expected " << e2e_expected_;         \
            ::e2e::RecordFailure(__FILE__, __LINE__, e2e_text_.str());                           \
        }                                                                                        \
    } while (0)

#define E2E_REQUIRE(condition)                                                   \
    do {                                                                         \
        if (!(condition)) {                                                      \
            ::e2e::RecordFailure(__FILE__, __LINE__, "required: " #condition);   \
            throw ::e2e::ScenarioAbort();                                        \
        }                                                                        \
    } while (0)

// A line of progress in the report (indented under the scenario).
void Note(const std::string& text);

// ---- Time ----------------------------------------------------------------

// Polls until the condition holds (true) or the time is up (false). While it
// waits, this thread's own windows get their messages.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
// Lets this thread's windows handle their messages for a while.
void PumpFor(int milliseconds);

// ---- The program under test ----------------------------------------------

// The main window's title begins with this ("ZuvoVuzozuzo for").
extern const char kTitlePrefix[];

class Sim {
public:
    // Starts velkor-sim.exe with a command-line tail (exactly as given,
    // blanks included) and a simulated PC (VELKOR_SIM). Fails the scenario
    // when the program cannot be started.
    static Sim Start(const std::string& tail, const std::string& simConfig = "board=TNT2");

    Sim() = default;
    Sim(Sim&& other) noexcept;
    Sim& operator=(Sim&& other) noexcept;
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;
    // Ends a program still running: "E&xit" first, then by force.
    ~Sim();

    DWORD ProcessId() const { return processId_; }
    bool Running() const;
    // Until the program waits for input with nothing left to do (its main
    // window's modal loop has run empty once: the window has been shown).
    bool WaitIdle(int timeoutMs = 20000);
    // The exit code once the program has ended within the time; STILL_ACTIVE otherwise.
    DWORD WaitExit(int timeoutMs = 15000);
    // The main window (title "ZuvoVuzozuzo for ..."), once it exists; fails
    // the scenario when it does not appear within the time.
    HWND MainWindow(int timeoutMs = 20000);
    // A top-level window of this program with exactly this title, or null.
    HWND FindWindowTitled(const std::string& title) const;
    // Every top-level window of this program (visible or not).
    std::vector<HWND> Windows() const;
    // "E&xit" from the tray menu; returns the exit code.
    DWORD Exit();

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
};

// Path of velkor-sim.exe (beside the driver unless --sim says otherwise).
const std::string& SimPath();

// ---- Windows and controls ------------------------------------------------

std::string Text(HWND window);
std::string Text(HWND dialog, int id);
bool Visible(HWND window);
bool Enabled(HWND dialog, int id);
bool Checked(HWND dialog, int id);
int SliderPos(HWND dialog, int id);
int SliderMin(HWND dialog, int id);
int SliderMax(HWND dialog, int id);
HWND Focus(HWND dialog);  // the control of the dialog's thread that has the keyboard focus
// A click as the button's own message does it; posted, so a modal dialog the
// click opens does not block the driver.
void Click(HWND dialog, int id);
// The slider moved as the trackbar does it: new position, then WM_HSCROLL
// to the dialog with the trackbar's handle.
void MoveSlider(HWND dialog, int id, int position);
// Waits until every message posted to the main window before has been
// handled: posts a WM_HSCROLL from no slider, which puts both sliders back to
// the clocks the window holds, after moving the graphics slider out of place.
bool Barrier(HWND mainWindow);
// The tray icon's callback as the shell sends it (posted).
void TrayCallback(HWND mainWindow, UINT iconId, UINT mouseMessage);
// Waits for a visible popup menu (class "#32768"), null when none came.
HWND WaitForMenu(int timeoutMs = 5000);
bool MenuOpen();

// ---- The tray as Wine shows it -------------------------------------------

// The icon windows in Wine's stand-alone tray (one per icon of any program).
std::vector<HWND> TrayIcons();
// Whether icons can be counted: not on a virtual desktop, whose taskbar
// draws them itself without a window each.
bool TrayIconsCountable();
// Waits until the tray holds this many icons; true at once where icons
// cannot be counted.
bool WaitForTrayIcons(size_t count, int timeoutMs = 10000);

// ---- Layout --------------------------------------------------------------

struct DialogControl {
    int id;
    std::string windowClass;  // "Button", "Static", "msctls_trackbar32", ...
    std::string text;
    DWORD style;
    RECT rect;  // dialog units: left, top, right, bottom
};

struct DialogTemplateInfo {
    bool loaded = false;
    DWORD style = 0;
    std::string caption;
    std::string font;
    int pointSize = 0;
    int width = 0, height = 0;
    std::vector<DialogControl> controls;
};

// A dialog template read from a program's resources.
DialogTemplateInfo LoadDialogTemplate(const std::string& exePath, int templateId);
// Dialog units to pixels for a template's font, computed in this process
// from a dialog made of the same template.
RECT DialogUnitsToPixels(const DialogTemplateInfo& info, const RECT& dialogUnits);
// A control's rectangle in its dialog's client coordinates, in pixels.
RECT ClientRectOf(HWND dialog, int id);

// ---- Registry (HKEY_LOCAL_MACHINE, as the utility sees it) ---------------

extern const char kSettingsKey[];  // "SOFTWARE\\Ostrane\\Velkor"
void DeleteKeyTree(const std::string& path);
bool ReadDword(const std::string& path, const std::string& name, uint32_t* value);
void WriteDword(const std::string& path, const std::string& name, uint32_t value);
std::vector<std::string> ValueNames(const std::string& path);

// ---- The simulated chip ---------------------------------------------------

// The register file velkor-sim.exe maps ("VelkorSimRegisters"). Opening an
// existing one reads the running program's chip; Prepare() makes one before
// the start, which the program then takes as it is.
class Chip {
public:
    Chip() = default;
    ~Chip();
    Chip(const Chip&) = delete;
    Chip& operator=(const Chip&) = delete;

    bool Open();  // an existing mapping
    // A new mapping filled as VELKOR_SIM would fill it; then gfxMHz/memMHz,
    // when not 0, are programmed into the PLL words (as the utility would).
    bool Prepare(const std::string& simConfig, uint32_t gfxMHz = 0, uint32_t memMHz = 0);
    void Close();

    uint32_t Read32(uint32_t offset) const;
    void Write32(uint32_t offset, uint32_t value);
    // The live clocks as the utility reads them, in whole MHz.
    uint32_t GfxMHz() const;
    uint32_t MemMHz() const;
    // The PLL word the utility would write for a clock on this chip.
    uint32_t WordFor(uint32_t mhz, uint32_t domain, int boardKind) const;

private:
    HANDLE mapping_ = nullptr;
    uint8_t* base_ = nullptr;
};

// ---- Everything back to a known state ------------------------------------

// Ends every velkor-sim.exe still running, deletes the settings key and
// forgets prepared chips.
void FreshWorld();

// ---- Real input and pictures ---------------------------------------------

// Runs a program of the host system (xdotool, ...) and returns its exit code.
int RunHost(const std::string& commandLine, int timeoutMs = 20000);
// Starts a Windows command line exactly as given (Wine's own command line
// would re-quote it). The process handle is the caller's to close; false when
// the start failed.
bool StartVerbatim(const std::string& commandLine, PROCESS_INFORMATION* info);
// xdotool with the given arguments.
int Xdotool(const std::string& arguments);
// The centre of a window in screen (and X root) coordinates.
POINT CentreOf(HWND window);

// A part of the screen as it is now, pixels as 0x00BBGGRR.
struct ScreenPicture {
    RECT area = {};
    std::vector<COLORREF> pixels;
    // x, y in screen coordinates; 0xFFFFFFFF outside the area.
    COLORREF At(int x, int y) const;
};
ScreenPicture CaptureScreen(const RECT& area);

// In screenshot mode (--screenshots DIR) saves the screen area of a window
// (or the whole screen for null) as DIR/NAME.png; otherwise nothing.
void Shot(const std::string& name, HWND window = nullptr);
bool ScreenshotMode();

}  // namespace e2e
