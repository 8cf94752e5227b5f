#pragma once
// Steps shared by the apply, limits, slider and logo scenarios: the dialogs
// of the apply transaction, the restore message, registry strings, the
// display driver's core file and posted mouse clicks.
#include <windows.h>

#include <string>
#include <vector>

#include "e2e_driver.h"

namespace e2e_apply {

using namespace e2e;

// Main window
const int kConfirmOk = 1100, kYes = 1100, kCancel = 1102, kNo = 1102, kApply = 1101, kClose = 1102,
          kLogo = 1103, kGfxLabel = 1104, kGfxSlider = 1105, kReset = 1106, kMemLabel = 1107, kMemSlider = 1108,
          kLink = 1110, kResetOnReboot = 1115, kConfirmGfx = 1120, kConfirmMem = 1121;
// Limits dialog
const int kGfxMinEdit = 1111, kMemMinEdit = 1112, kGfxMaxEdit = 1113, kMemMaxEdit = 1114, kGfxMinSpin = 1116,
          kGfxMaxSpin = 1117, kMemMaxSpin = 1118, kMemMinSpin = 1119;
// System and tray menu commands
const int kAboutCommand = 251, kExitCommand = 252, kLimitsCommand = 254;
const int kTnt2 = 2;
const UINT_PTR kBootTimer = 27050;

extern const char kConfirmTitle[];  // "ZuvoVuzozuzo Confirmation"
extern const char kKeepTitle[];     // "Apply ZuvoVuzozuzo"
extern const char kRestoreTitle[];  // "Restore ZuvoVuzozuzo"
extern const char kRestoreText[];   // "Original settings have been restored."
extern const char kLimitsTitle[];   // "ZuvoVuzozuzo Limits"
extern const char kAboutTitle[];    // "About ZuvoVuzozuzo"
extern const char kRivaTntSystemKey[];
extern const char kTweakKey[];      // the fixed driver key's "\NVTweak\Hardware"
extern const char kRunKey[];

std::string GfxLabel(int mhz);
std::string MemLabel(int mhz);

// A visible window of the program with this title, once it shows; null
// (and a failure) when it does not within the time.
HWND WaitForDialog(const Sim& sim, const char* title, int timeoutMs = 10000);
bool WaitGone(HWND window, int timeoutMs = 10000);
// Texts of a dialog's static controls, joined by "|".
std::string StaticTexts(HWND dialog);

// The main window shown and idle, with the chip opened beside it.
HWND StartShown(Sim* sim, Chip* chip);
// "&Apply" until the confirmation shows; checks the two clocks it names.
HWND OpenConfirmation(const Sim& sim, HWND main, int gfxMHz, int memMHz);
// "&OK" at the confirmation until the keep-or-revert dialog shows; the
// milliseconds between the click and the dialog in *elapsedMs when given.
HWND ConfirmUntilKeep(const Sim& sim, HWND confirmation, DWORD* elapsedMs = nullptr);
// Sliders to the clocks, "&Apply", "&OK", "&Yes": a kept apply.
void KeepClocks(const Sim& sim, HWND main, int gfxMHz, int memMHz);
// Waits for the restore message, checks it and presses its OK; a picture of
// the screen with the message when shotName is given.
void AnswerRestoreMessage(const Sim& sim, const char* shotName = nullptr);

// Sliders, labels and the chip at these clocks, "&Apply" disabled.
void ExpectShownAndRunning(HWND main, const Chip& chip, int gfxMHz, int memMHz);

// Registry strings under HKEY_LOCAL_MACHINE; false when missing.
bool ReadString(const std::string& path, const std::string& name, std::string* text);
void DeleteValue(const std::string& path, const std::string& name);
// "Path" in the settings key, as the installer writes it, and a stand-in
// Arbolt.exe in that folder: the log-on entry names only a companion that is there.
void WriteInstallPath(const std::string& folder);

// NVCORE.VXD in the system directory with a file version whose fourth
// number is the build; gone again when the object ends.
class DisplayCoreFile {
public:
    explicit DisplayCoreFile(uint16_t build);
    ~DisplayCoreFile();
    bool Placed() const { return placed_; }

private:
    std::string path_;
    bool placed_ = false;
};

// A left click posted to a control at a point of its client area, as the
// mouse would deliver it (button down, then up).
void PostClickAt(HWND control, int x, int y);
// A posted click on the up (or down) arrow of an up-down control.
void PostSpinClick(HWND dialog, int spinId, bool up);
// Waits until every message posted to the dialog's thread before it has
// been handled (a marker through an up-down control's own position, which
// the dialog never reads). At most 99 clicks may be outstanding.
bool SpinBarrier(HWND dialog, int spinId);

// The area of a window's client rectangle on the screen.
RECT ClientOnScreen(HWND window);
std::string Hex(COLORREF colour);

}  // namespace e2e_apply
