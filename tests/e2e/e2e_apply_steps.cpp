// Steps shared by the apply, limits, slider and logo scenarios.
#include "e2e_apply_steps.h"

#include <commctrl.h>
#include <string.h>

#include <vector>

namespace e2e_apply {

const char kConfirmTitle[] = "ZuvoVuzozuzo Confirmation";
const char kKeepTitle[] = "Apply ZuvoVuzozuzo";
const char kRestoreTitle[] = "Restore ZuvoVuzozuzo";
const char kRestoreText[] = "Original settings have been restored.";
const char kLimitsTitle[] = "ZuvoVuzozuzo Limits";
const char kAboutTitle[] = "About ZuvoVuzozuzo";
const char kRivaTntSystemKey[] = "SOFTWARE\\NVIDIA Corporation\\RIVA TNT\\System";
const char kTweakKey[] = "SOFTWARE\\NVIDIA Corporation\\RIVA TNT\\NVTweak\\Hardware";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string GfxLabel(int mhz)
{
    return "Graphics Core Clock at " + std::to_string(mhz) + " MHz";
}

std::string MemLabel(int mhz)
{
    return "Memory Clock at " + std::to_string(mhz) + " MHz";
}

HWND WaitForDialog(const Sim& sim, const char* title, int timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = sim.FindWindowTitled(title);
            return found && Visible(found);
        },
        timeoutMs);
    if (!found || !Visible(found)) {
        RecordFailure(__FILE__, __LINE__, std::string("no window \"") + title + "\"");
        return nullptr;
    }
    return found;
}

bool WaitGone(HWND window, int timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(window) || !Visible(window); }, timeoutMs);
}

static BOOL CALLBACK CollectStatic(HWND child, LPARAM data)
{
    char windowClass[32] = "";
    GetClassNameA(child, windowClass, sizeof windowClass);
    if (_stricmp(windowClass, "Static") == 0) {
        std::string text = Text(child);
        if (!text.empty()) {
            std::string* all = reinterpret_cast<std::string*>(data);
            *all += (all->empty() ? "" : "|") + text;
        }
    }
    return TRUE;
}

std::string StaticTexts(HWND dialog)
{
    std::string all;
    EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND StartShown(Sim* sim, Chip* chip)
{
    HWND main = sim->MainWindow();
    sim->WaitIdle();
    E2E_REQUIRE(WaitUntil([&] { return Visible(main); }));
    E2E_REQUIRE(chip->Open());
    return main;
}

HWND OpenConfirmation(const Sim& sim, HWND main, int gfxMHz, int memMHz)
{
    E2E_REQUIRE(WaitUntil([&] { return Enabled(main, kApply); }));
    Click(main, kApply);
    HWND confirmation = WaitForDialog(sim, kConfirmTitle);
    E2E_REQUIRE(confirmation);
    E2E_CHECK_EQ("Graphics Clock --------> " + std::to_string(gfxMHz) + " MHz", Text(confirmation, kConfirmGfx));
    E2E_CHECK_EQ("Memory Clock ----------> " + std::to_string(memMHz) + " MHz", Text(confirmation, kConfirmMem));
    return confirmation;
}

HWND ConfirmUntilKeep(const Sim& sim, HWND confirmation, DWORD* elapsedMs)
{
    const DWORD start = GetTickCount();
    Click(confirmation, kConfirmOk);
    HWND keep = nullptr;
    WaitUntil([&] {
        keep = sim.FindWindowTitled(kKeepTitle);
        return keep && Visible(keep);
    });
    if (elapsedMs)
        *elapsedMs = GetTickCount() - start;
    E2E_REQUIRE(keep && Visible(keep));
    E2E_CHECK(!IsWindow(confirmation) || !Visible(confirmation));
    return keep;
}

void KeepClocks(const Sim& sim, HWND main, int gfxMHz, int memMHz)
{
    MoveSlider(main, kGfxSlider, gfxMHz);
    MoveSlider(main, kMemSlider, memMHz);
    HWND keep = ConfirmUntilKeep(sim, OpenConfirmation(sim, main, gfxMHz, memMHz));
    Click(keep, kYes);
    E2E_REQUIRE(WaitGone(keep));
    E2E_CHECK(WaitUntil([&] { return Text(main, kGfxLabel) == GfxLabel(gfxMHz); }));
}

void AnswerRestoreMessage(const Sim& sim, const char* shotName)
{
    HWND box = WaitForDialog(sim, kRestoreTitle);
    E2E_REQUIRE(box);
    if (shotName)
        Shot(shotName);
    E2E_CHECK_EQ(std::string(kRestoreText), StaticTexts(box));
    E2E_CHECK(GetWindow(box, GW_OWNER) == nullptr);  // no owner: it shows even with the window hidden
    Click(box, IDOK);
    E2E_CHECK(WaitGone(box));
}

void ExpectShownAndRunning(HWND main, const Chip& chip, int gfxMHz, int memMHz)
{
    E2E_CHECK(WaitUntil([&] { return Text(main, kMemLabel) == MemLabel(memMHz); }));
    E2E_CHECK_EQ(GfxLabel(gfxMHz), Text(main, kGfxLabel));
    E2E_CHECK_EQ(gfxMHz, SliderPos(main, kGfxSlider));
    E2E_CHECK_EQ(memMHz, SliderPos(main, kMemSlider));
    E2E_CHECK(!Enabled(main, kApply));
    E2E_CHECK_EQ(static_cast<uint32_t>(gfxMHz), chip.GfxMHz());
    E2E_CHECK_EQ(static_cast<uint32_t>(memMHz), chip.MemMHz());
    E2E_CHECK_EQ(chip.WordFor(gfxMHz, 0, kTnt2), chip.Read32(0x680500));
    E2E_CHECK_EQ(chip.WordFor(memMHz, 1, kTnt2), chip.Read32(0x680504));
}

bool ReadString(const std::string& path, const std::string& name, std::string* text)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char buffer[512] = "";
    DWORD type = 0, size = sizeof buffer - 1;
    LONG result = RegQueryValueExA(key, name.c_str(), NULL, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return false;
    buffer[size] = '\0';
    *text = buffer;
    return true;
}

void WriteInstallPath(const std::string& folder)
{
    CreateDirectoryA(folder.c_str(), NULL);
    HANDLE companion = CreateFileA((folder + "\\Arbolt.exe").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, NULL);
    if (companion != INVALID_HANDLE_VALUE)
        CloseHandle(companion);
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
    RegCloseKey(key);
}

void DeleteValue(const std::string& path, const std::string& name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

// A copy of velkor-sim.exe, whose version block is patched: VS_FIXEDFILEINFO
// begins with the signature 0xFEEF04BD; the file version's low word follows
// 12 bytes later.
DisplayCoreFile::DisplayCoreFile(uint16_t build)
{
    char directory[MAX_PATH];
    GetSystemDirectoryA(directory, sizeof directory);
    path_ = std::string(directory) + "\\NVCORE.VXD";
    DeleteFileA(path_.c_str());

    HANDLE in = CreateFileA(SimPath().c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (in == INVALID_HANDLE_VALUE)
        return;
    std::vector<uint8_t> bytes(GetFileSize(in, NULL));
    DWORD got = 0;
    ReadFile(in, bytes.data(), static_cast<DWORD>(bytes.size()), &got, NULL);
    CloseHandle(in);
    const uint8_t signature[4] = {0xBD, 0x04, 0xEF, 0xFE};
    for (size_t i = 0; i + 16 <= got; i += 4) {  // the block is 32-bit aligned
        if (memcmp(&bytes[i], signature, 4) != 0)
            continue;
        uint32_t versionLS = build;  // third number 0, fourth the build
        memcpy(&bytes[i + 12], &versionLS, 4);
        HANDLE out = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (out == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        WriteFile(out, bytes.data(), got, &written, NULL);
        CloseHandle(out);
        placed_ = written == got;
        return;
    }
}

DisplayCoreFile::~DisplayCoreFile()
{
    DeleteFileA(path_.c_str());
}

void PostClickAt(HWND control, int x, int y)
{
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PostSpinClick(HWND dialog, int spinId, bool up)
{
    HWND spin = GetDlgItem(dialog, spinId);
    RECT r;
    GetClientRect(spin, &r);
    // Vertical up-down: the up arrow is the upper half.
    int y = up ? r.bottom / 4 : r.bottom * 3 / 4;
    PostClickAt(spin, r.right / 2, y);
}

bool SpinBarrier(HWND dialog, int spinId)
{
    // A sent message overtakes the posted clicks still queued, which then
    // move the position by one each (fewer than 100 of them); the posted
    // marker 100 comes back only after all of them.
    HWND spin = GetDlgItem(dialog, spinId);
    SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(0, 0));
    PostMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(100, 0));
    return WaitUntil([&] { return LOWORD(SendMessageA(spin, UDM_GETPOS, 0, 0)) == 100; });
}

RECT ClientOnScreen(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, NULL, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Hex(COLORREF colour)
{
    char text[16];
    wsprintfA(text, "%06lX", static_cast<unsigned long>(colour));
    return text;
}

}  // namespace e2e_apply
