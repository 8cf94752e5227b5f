// The driver's machinery: the scenario runner, the program under test,
// window and control access, templates, registry, chip, host tools and
// screenshots.
#include "e2e_driver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "app_state.h"
#include "board/board_kind.h"
#include "board/chip_registers.h"
#include "clock/pll_search.h"
#include "sim/sim_config.h"
#include "sim/sim_pc.h"

namespace e2e {

const char kTitlePrefix[] = "ZuvoVuzozuzo for";
const char kSettingsKey[] = "SOFTWARE\\Ostrane\\Velkor";

namespace {

const char kRegistersMappingName[] = "VelkorSimRegisters";
const UINT kTrayCallbackMessage = 0x8064;
const WPARAM kExitCommand = 252;

struct ScenarioEntry {
    const char* name;
    ScenarioFunction run;
    const char* file;
};

std::vector<ScenarioEntry>& Scenarios()
{
    static std::vector<ScenarioEntry> scenarios;
    return scenarios;
}

std::vector<std::string> gFailures;
std::string gSimPath;
std::string gScreenshotDir;

std::string BaseName(const char* path)
{
    std::string p(path);
    size_t slash = p.find_last_of("/\\");
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, strlen(prefix), prefix) == 0;
}

using WindowVisitor = std::function<bool(HWND)>;  // false stops the walk

BOOL CALLBACK VisitWindow(HWND window, LPARAM visitor)
{
    return (*reinterpret_cast<WindowVisitor*>(visitor))(window) ? TRUE : FALSE;
}

// Every top-level window, or every child of a parent.
void ForEachWindow(const WindowVisitor& visit, HWND parent = nullptr)
{
    WindowVisitor copy = visit;
    if (parent)
        EnumChildWindows(parent, VisitWindow, reinterpret_cast<LPARAM>(&copy));
    else
        EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&copy));
}

}  // namespace

bool RegisterScenario(const char* name, ScenarioFunction run, const char* file)
{
    Scenarios().push_back({name, run, file});
    return true;
}

void RecordFailure(const char* file, int line, const std::string& what)
{
    std::ostringstream text;
    text << BaseName(file) << ":" << line << ": " << what;
    gFailures.push_back(text.str());
    printf("    %s\n", text.str().c_str());
    fflush(stdout);
}

void Note(const std::string& text)
{
    printf("    . %s\n", text.c_str());
    fflush(stdout);
}

// ---- Time ------------------------------------------------------------------

void PumpFor(int milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= static_cast<DWORD>(timeoutMs))
            return condition();
        PumpFor(25);
    }
}

// ---- The program under test -------------------------------------------------

const std::string& SimPath()
{
    return gSimPath;
}

Sim Sim::Start(const std::string& tail, const std::string& simConfig)
{
    SetEnvironmentVariableA("VELKOR_SIM", simConfig.c_str());
    std::string commandLine = "\"" + gSimPath + "\"" + tail;
    PROCESS_INFORMATION info = {};
    if (!StartVerbatim(commandLine, &info)) {
        RecordFailure(__FILE__, __LINE__, "cannot start " + commandLine);
        throw ScenarioAbort();
    }
    Sim sim;
    sim.process_ = info.hProcess;
    sim.processId_ = info.dwProcessId;
    return sim;
}

Sim::Sim(Sim&& other) noexcept
{
    *this = std::move(other);
}

Sim& Sim::operator=(Sim&& other) noexcept
{
    std::swap(process_, other.process_);
    std::swap(processId_, other.processId_);
    std::swap(main_, other.main_);
    return *this;
}

Sim::~Sim()
{
    if (!process_)
        return;
    if (Running()) {
        if (main_ && IsWindow(main_))
            PostMessageA(main_, WM_COMMAND, kExitCommand, 0);
        if (WaitExit(8000) == STILL_ACTIVE) {
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, 5000);
        }
    }
    CloseHandle(process_);
}

bool Sim::WaitIdle(int timeoutMs)
{
    return WaitForInputIdle(process_, timeoutMs) == 0;
}

bool Sim::Running() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD Sim::WaitExit(int timeoutMs)
{
    // Our own windows keep answering while we wait: a running-instance search
    // of the program under test sends to them.
    WaitUntil([&] { return !Running(); }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::vector<HWND> Sim::Windows() const
{
    std::vector<HWND> found;
    ForEachWindow([&](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId_)
            found.push_back(window);
        return true;
    });
    return found;
}

HWND Sim::FindWindowTitled(const std::string& title) const
{
    for (HWND window : Windows()) {
        if (Text(window) == title)
            return window;
    }
    return nullptr;
}

HWND Sim::MainWindow(int timeoutMs)
{
    if (main_ && IsWindow(main_))
        return main_;
    main_ = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : Windows()) {
                if (StartsWith(Text(window), kTitlePrefix)) {
                    main_ = window;
                    return true;
                }
            }
            return !Running();
        },
        timeoutMs);
    if (!main_) {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_, &code);
        RecordFailure(__FILE__, __LINE__,
                      Running() ? std::string("the main window did not appear")
                                : "the program ended with exit code " + std::to_string(code) + " before its window appeared");
        throw ScenarioAbort();
    }
    return main_;
}

DWORD Sim::Exit()
{
    HWND main = MainWindow();
    PostMessageA(main, WM_COMMAND, kExitCommand, 0);
    return WaitExit();
}

// ---- Windows and controls -----------------------------------------------------

std::string Text(HWND window)
{
    char text[512] = "";
    // WM_GETTEXT is carried across processes; GetWindowText would not ask controls of another program.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                        NULL);
    return text;
}

std::string Text(HWND dialog, int id)
{
    return Text(GetDlgItem(dialog, id));
}

bool Visible(HWND window)
{
    return IsWindowVisible(window) != FALSE;
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool Checked(HWND dialog, int id)
{
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int SliderPos(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
}

int SliderMin(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETRANGEMIN, 0, 0));
}

int SliderMax(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETRANGEMAX, 0, 0));
}

HWND Focus(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &info))
        return nullptr;
    return info.hwndFocus;
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void MoveSlider(HWND dialog, int id, int position)
{
    HWND slider = GetDlgItem(dialog, id);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
}

bool Barrier(HWND mainWindow)
{
    const int slider = 1105;
    int position = SliderPos(mainWindow, slider);
    int outOfPlace = position == SliderMin(mainWindow, slider) ? SliderMax(mainWindow, slider)
                                                                  : SliderMin(mainWindow, slider);
    SendDlgItemMessageA(mainWindow, slider, TBM_SETPOS, TRUE, outOfPlace);
    PostMessageA(mainWindow, WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    return WaitUntil([&] { return SliderPos(mainWindow, slider) != outOfPlace; });
}

void TrayCallback(HWND mainWindow, UINT iconId, UINT mouseMessage)
{
    PostMessageA(mainWindow, kTrayCallbackMessage, iconId, mouseMessage);
}

namespace {

HWND FindVisibleMenu()
{
    HWND menu = nullptr;
    ForEachWindow([&](HWND window) {
        char className[32] = "";
        GetClassNameA(window, className, sizeof(className));
        if (strcmp(className, "#32768") == 0 && IsWindowVisible(window)) {
            menu = window;
            return false;
        }
        return true;
    });
    return menu;
}

}  // namespace

HWND WaitForMenu(int timeoutMs)
{
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = FindVisibleMenu()) != nullptr; }, timeoutMs);
    return menu;
}

bool MenuOpen()
{
    return FindVisibleMenu() != nullptr;
}

// ---- The tray ----------------------------------------------------------------

std::vector<HWND> TrayIcons()
{
    std::vector<HWND> icons;
    HWND tray = FindWindowA(NULL, "Wine System Tray");
    if (!tray)
        return icons;
    ForEachWindow(
        [&](HWND window) {
            icons.push_back(window);
            return true;
        },
        tray);
    return icons;
}

bool TrayIconsCountable()
{
    HWND taskbar = FindWindowA("Shell_TrayWnd", NULL);
    return !(taskbar && IsWindowVisible(taskbar));
}

bool WaitForTrayIcons(size_t count, int timeoutMs)
{
    if (!TrayIconsCountable())
        return true;
    return WaitUntil([&] { return TrayIcons().size() == count; }, timeoutMs);
}

// ---- Layout --------------------------------------------------------------------

namespace {

class TemplateReader {
public:
    TemplateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Ok() const { return ok_; }
    size_t Offset() const { return offset_; }
    void AlignTo(size_t alignment) { offset_ = (offset_ + alignment - 1) / alignment * alignment; }

    uint16_t Word()
    {
        uint16_t value = 0;
        Take(&value, 2);
        return value;
    }
    uint32_t Dword()
    {
        uint32_t value = 0;
        Take(&value, 4);
        return value;
    }
    int16_t Short() { return static_cast<int16_t>(Word()); }
    uint8_t Byte()
    {
        uint8_t value = 0;
        Take(&value, 1);
        return value;
    }
    // A NUL-terminated UTF-16 string, narrowed (the templates are ASCII).
    std::string String()
    {
        std::string text;
        for (;;) {
            uint16_t c = Word();
            if (!ok_ || c == 0)
                return text;
            text += c < 0x80 ? static_cast<char>(c) : '?';
        }
    }
    // Either 0xFFFF and an ordinal, or a string.
    std::string NameOrOrdinal(uint16_t* ordinal)
    {
        *ordinal = 0;
        uint16_t first = Word();
        if (first == 0xFFFF) {
            *ordinal = Word();
            return "";
        }
        if (first == 0)
            return "";
        offset_ -= 2;
        return String();
    }
    void Skip(size_t bytes) { offset_ += bytes; }

private:
    void Take(void* out, size_t bytes)
    {
        if (offset_ + bytes > size_) {
            ok_ = false;
            return;
        }
        memcpy(out, data_ + offset_, bytes);
        offset_ += bytes;
    }

    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
    bool ok_ = true;
};

std::string PredefinedClass(uint16_t atom)
{
    switch (atom) {
    case 0x80:
        return "Button";
    case 0x81:
        return "Edit";
    case 0x82:
        return "Static";
    case 0x83:
        return "ListBox";
    case 0x84:
        return "ScrollBar";
    case 0x85:
        return "ComboBox";
    default:
        return "#" + std::to_string(atom);
    }
}

bool ParseTemplate(const uint8_t* data, size_t size, DialogTemplateInfo* info)
{
    TemplateReader r(data, size);
    bool extended = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    int count;
    if (extended) {
        r.Skip(4);   // version, signature
        r.Dword();   // help id
        r.Dword();   // extended style
        info->style = r.Dword();
    } else {
        info->style = r.Dword();
        r.Dword();  // extended style
    }
    count = r.Word();
    r.Short();
    r.Short();
    info->width = r.Short();
    info->height = r.Short();
    uint16_t ordinal;
    r.NameOrOrdinal(&ordinal);  // menu
    r.NameOrOrdinal(&ordinal);  // class
    info->caption = r.String();
    if (info->style & DS_SETFONT) {
        info->pointSize = r.Word();
        if (extended) {
            r.Word();  // weight
            r.Byte();  // italic
            r.Byte();  // character set
        }
        info->font = r.String();
    }
    for (int i = 0; i < count && r.Ok(); ++i) {
        r.AlignTo(4);
        DialogControl control;
        if (extended) {
            r.Dword();  // help id
            r.Dword();  // extended style
            control.style = r.Dword();
        } else {
            control.style = r.Dword();
            r.Dword();
        }
        int x = r.Short(), y = r.Short(), cx = r.Short(), cy = r.Short();
        control.rect = {x, y, x + cx, y + cy};
        control.id = extended ? static_cast<int>(static_cast<int32_t>(r.Dword())) : static_cast<int16_t>(r.Word());
        std::string className = r.NameOrOrdinal(&ordinal);
        control.windowClass = ordinal ? PredefinedClass(ordinal) : className;
        uint16_t textOrdinal;
        control.text = r.NameOrOrdinal(&textOrdinal);
        if (textOrdinal)
            control.text = "#" + std::to_string(textOrdinal);
        uint16_t extra = r.Word();
        r.Skip(extra);
        info->controls.push_back(control);
    }
    return r.Ok();
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

}  // namespace

DialogTemplateInfo LoadDialogTemplate(const std::string& exePath, int templateId)
{
    DialogTemplateInfo info;
    HMODULE module = LoadLibraryExA(exePath.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return info;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (resource) {
        HGLOBAL loaded = LoadResource(module, resource);
        const uint8_t* data = static_cast<const uint8_t*>(LockResource(loaded));
        DWORD size = SizeofResource(module, resource);
        if (data)
            info.loaded = ParseTemplate(data, size, &info);
    }
    FreeLibrary(module);
    return info;
}

RECT DialogUnitsToPixels(const DialogTemplateInfo& info, const RECT& dialogUnits)
{
    // An empty dialog with the template's font: MapDialogRect then uses the
    // same base units as the program's dialog.
    std::vector<WORD> bytes;
    auto put32 = [&](DWORD value) {
        bytes.push_back(LOWORD(value));
        bytes.push_back(HIWORD(value));
    };
    put32(DS_SETFONT | WS_POPUP);
    put32(0);
    bytes.push_back(0);  // no controls
    for (int i = 0; i < 4; ++i)
        bytes.push_back(i < 2 ? 0 : 100);
    bytes.push_back(0);  // menu
    bytes.push_back(0);  // class
    bytes.push_back(0);  // caption
    bytes.push_back(static_cast<WORD>(info.pointSize));
    for (char c : info.font)
        bytes.push_back(static_cast<WORD>(c));
    bytes.push_back(0);
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(NULL),
                                             reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), NULL,
                                             QuietDialogProc, 0);
    // The dialog manager converts a control's position and its size each on
    // its own, so the far edges round as position + size, not as an edge.
    RECT position = {dialogUnits.left, dialogUnits.top, dialogUnits.left, dialogUnits.top};
    RECT size = {dialogUnits.right - dialogUnits.left, dialogUnits.bottom - dialogUnits.top, 0, 0};
    if (dialog) {
        MapDialogRect(dialog, &position);
        MapDialogRect(dialog, &size);
        DestroyWindow(dialog);
    }
    return RECT{position.left, position.top, position.left + size.left, position.top + size.top};
}

RECT ClientRectOf(HWND dialog, int id)
{
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// ---- Registry -------------------------------------------------------------------

void DeleteKeyTree(const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    std::vector<std::string> children;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string& child : children)
        DeleteKeyTree(path + "\\" + child);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

bool ReadDword(const std::string& path, const std::string& name, uint32_t* value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, data = 0, size = sizeof(data);
    LONG result = RegQueryValueExA(key, name.c_str(), NULL, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_DWORD || size != 4)
        return false;
    *value = data;
    return true;
}

void WriteDword(const std::string& path, const std::string& name, uint32_t value)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS)
        return;
    DWORD data = value;
    RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    RegCloseKey(key);
}

std::vector<std::string> ValueNames(const std::string& path)
{
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(name);
        if (RegEnumValueA(key, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

// ---- The simulated chip ------------------------------------------------------------

Chip::~Chip()
{
    Close();
}

void Chip::Close()
{
    if (base_)
        UnmapViewOfFile(base_);
    if (mapping_)
        CloseHandle(mapping_);
    base_ = nullptr;
    mapping_ = nullptr;
}

bool Chip::Open()
{
    Close();
    mapping_ = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kRegistersMappingName);
    if (!mapping_)
        return false;
    base_ = static_cast<uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    return base_ != nullptr;
}

bool Chip::Prepare(const std::string& simConfig, uint32_t gfxMHz, uint32_t memMHz)
{
    Close();
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, kRegisterWindowBytes,
                                  kRegistersMappingName);
    if (!mapping_ || GetLastError() == ERROR_ALREADY_EXISTS) {
        Close();
        return false;  // a program still holds the last one
    }
    base_ = static_cast<uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!base_)
        return false;
    SimConfig config;
    char error[128];
    if (!ParseSimConfig(simConfig.c_str(), &config, error, sizeof(error)))
        return false;
    std::unique_ptr<SimPc> pc(new SimPc(base_));  // large: never on the stack
    ApplySimConfig(pc.get(), config);
    int kind = static_cast<int>(BoardKindFromDeviceId(SimDetectedBoard(config).deviceId));
    if (gfxMHz)
        Write32(kGfxPllRegister, WordFor(gfxMHz, kGfxDomain, kind));
    if (memMHz)
        Write32(kMemPllRegister, WordFor(memMHz, kMemDomain, kind));
    return true;
}

uint32_t Chip::Read32(uint32_t offset) const
{
    uint32_t value = 0;
    if (base_)
        memcpy(&value, base_ + offset, 4);
    return value;
}

void Chip::Write32(uint32_t offset, uint32_t value)
{
    if (base_)
        memcpy(base_ + offset, &value, 4);
}

namespace {

// The utility's clock code, run here over the shared register file.
struct ClockCodeOnChip {
    MemoryRegisterWindow window;
    explicit ClockCodeOnChip(uint8_t* base, int boardKind) : window(base)
    {
        gApp = AppState();
        gApp.boardKind = static_cast<BoardKind>(boardKind);
        gApp.registers = &window;
    }
    ~ClockCodeOnChip() { gApp.registers = nullptr; }
};

}  // namespace

uint32_t Chip::GfxMHz() const
{
    return ToWholeMHz(PllWordToMHz(Read32(kGfxPllRegister),
                                   (Read32(kStrapRegister) & kStrapCrystal14MHz) ? kCrystal14MHz : kCrystal13MHz));
}

uint32_t Chip::MemMHz() const
{
    return ToWholeMHz(PllWordToMHz(Read32(kMemPllRegister),
                                   (Read32(kStrapRegister) & kStrapCrystal14MHz) ? kCrystal14MHz : kCrystal13MHz));
}

uint32_t Chip::WordFor(uint32_t mhz, uint32_t domain, int boardKind) const
{
    if (!base_)
        return 0;
    ClockCodeOnChip code(base_, boardKind);
    return ClockToPllWord(mhz, domain);
}

// ---- Everything back to a known state ------------------------------------------------

void FreshWorld()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
            if (_stricmp(BaseName(entry.szExeFile).c_str(), "velkor-sim.exe") != 0)
                continue;
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
            if (process) {
                TerminateProcess(process, 98);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
        CloseHandle(snapshot);
    }
    DeleteKeyTree(kSettingsKey);
}

// ---- Host tools -------------------------------------------------------------------------

bool StartVerbatim(const std::string& commandLine, PROCESS_INFORMATION* info)
{
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    *info = {};
    if (!CreateProcessA(NULL, buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, info))
        return false;
    CloseHandle(info->hThread);
    info->hThread = NULL;
    return true;
}

int RunHost(const std::string& commandLine, int timeoutMs)
{
    // Wine starts a host program without a process handle to wait on, so
    // the shell around it leaves its exit code in a file when it is done.
    static int serial = 0;
    std::string name = "velkor-e2e-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    std::string unixDone = "/tmp/" + name + ".done";
    std::string windowsDone = "Z:\\tmp\\" + name + ".done";
    std::string shell = "/bin/sh -c \"" + commandLine + "; echo $? > " + unixDone + ".part && mv " + unixDone +
                        ".part " + unixDone + "\"";
    PROCESS_INFORMATION info = {};
    if (!StartVerbatim(shell, &info))
        return -1;
    CloseHandle(info.hProcess);
    if (!WaitUntil([&] { return GetFileAttributesA(windowsDone.c_str()) != INVALID_FILE_ATTRIBUTES; }, timeoutMs))
        return -2;
    int code = -3;
    if (FILE* file = fopen(windowsDone.c_str(), "r")) {
        if (fscanf(file, "%d", &code) != 1)
            code = -3;
        fclose(file);
    }
    DeleteFileA(windowsDone.c_str());
    return code;
}

int Xdotool(const std::string& arguments)
{
    int code = RunHost("/usr/bin/xdotool " + arguments);
    if (code != 0)
        Note("xdotool " + arguments + ": exit code " + std::to_string(code));
    return code;
}

POINT CentreOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// ---- Screenshots --------------------------------------------------------------------------

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    static uint32_t table[256];
    if (!table[1]) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian(std::vector<uint8_t>* out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<uint8_t>(value >> shift));
}

void PngChunk(std::vector<uint8_t>* png, const char* type, const std::vector<uint8_t>& data)
{
    PutBigEndian(png, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    png->insert(png->end(), typed.begin(), typed.end());
    PutBigEndian(png, Crc32(typed.data(), typed.size()));
}

// RGB rows to a PNG with stored (uncompressed) deflate blocks: small code, large files.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        raw.insert(raw.end(), rgb.begin() + static_cast<size_t>(y) * width * 3,
                   rgb.begin() + static_cast<size_t>(y + 1) * width * 3);
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t offset = 0; offset < raw.size() || offset == 0;) {
        size_t length = std::min<size_t>(65535, raw.size() - offset);
        bool last = offset + length == raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(length));
        zlib.push_back(static_cast<uint8_t>(length >> 8));
        zlib.push_back(static_cast<uint8_t>(~length));
        zlib.push_back(static_cast<uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + length);
        offset += length;
        if (last)
            break;
    }
    PutBigEndian(&zlib, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(&header, static_cast<uint32_t>(width));
    PutBigEndian(&header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    PngChunk(&png, "IHDR", header);
    PngChunk(&png, "IDAT", zlib);
    PngChunk(&png, "IEND", {});
    return png;
}

}  // namespace

bool ScreenshotMode()
{
    return !gScreenshotDir.empty();
}

COLORREF ScreenPicture::At(int x, int y) const
{
    if (x < area.left || x >= area.right || y < area.top || y >= area.bottom)
        return 0xFFFFFFFFu;
    return pixels[static_cast<size_t>(y - area.top) * (area.right - area.left) + (x - area.left)];
}

ScreenPicture CaptureScreen(const RECT& area)
{
    PumpFor(300);  // let the program finish painting
    ScreenPicture picture;
    picture.area = area;
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return picture;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const uint32_t* bgrx = static_cast<const uint32_t*>(bits);
    picture.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        const uint32_t p = bgrx[i];  // 0x00RRGGBB in memory order B, G, R
        picture.pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return picture;
}

void Shot(const std::string& name, HWND window)
{
    if (!ScreenshotMode())
        return;
    RECT rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window)
        GetWindowRect(window, &rect);
    ScreenPicture picture = CaptureScreen(rect);
    if (picture.pixels.empty())
        return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::vector<uint8_t> rgb(picture.pixels.size() * 3);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        rgb[i * 3] = GetRValue(picture.pixels[i]);
        rgb[i * 3 + 1] = GetGValue(picture.pixels[i]);
        rgb[i * 3 + 2] = GetBValue(picture.pixels[i]);
    }

    std::vector<uint8_t> png = EncodePng(width, height, rgb);
    std::string path = gScreenshotDir + "\\" + name + ".png";
    FILE* file = fopen(path.c_str(), "wb");
    if (file) {
        fwrite(png.data(), 1, png.size(), file);
        fclose(file);
        Note("screenshot " + name + ".png");
    }
}

}  // namespace e2e

// ---- The runner ---------------------------------------------------------------------------------

namespace {

std::string Directory(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

void Usage()
{
    printf("usage: velkor-e2e [--sim PATH] [--screenshots DIR] [--log FILE] [--windows MAJOR.MINOR] [--list]"
           " [NAME-PART...]\n");
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace e2e;
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof(self));
    gSimPath = Directory(self) + "\\velkor-sim.exe";

    std::vector<std::string> filters;
    std::string windows;  // the version the run is for, as GetVersion gives it ("4.0": Windows 95)
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--sim" && i + 1 < argc) {
            gSimPath = argv[++i];
        } else if (arg == "--screenshots" && i + 1 < argc) {
            gScreenshotDir = argv[++i];
            CreateDirectoryA(gScreenshotDir.c_str(), NULL);
        } else if (arg == "--log" && i + 1 < argc) {
            // Where the report goes when no console reaches the caller (a virtual desktop).
            if (!freopen(argv[++i], "w", stdout))
                return 2;
        } else if (arg == "--windows" && i + 1 < argc) {
            windows = argv[++i];
        } else if (arg == "--list") {
            list = true;
        } else if (StartsWith(arg, "--")) {
            Usage();
            return 2;
        } else {
            filters.push_back(arg);
        }
    }
    InitCommonControls();
    if (!windows.empty()) {
        // A prefix set up for another version would pass without testing it.
        const DWORD version = GetVersion();
        const std::string running = std::to_string(LOBYTE(version)) + "." + std::to_string(HIBYTE(LOWORD(version)));
        printf("Windows %s%s\n", running.c_str(), version & 0x80000000u ? " (9x line)" : "");
        if (running != windows) {
            printf("this run is for Windows %s\n", windows.c_str());
            return 1;
        }
    }

    std::vector<ScenarioEntry> chosen;
    for (const ScenarioEntry& s : Scenarios()) {
        bool wanted = filters.empty();
        for (const std::string& f : filters)
            wanted = wanted || std::string(s.name).find(f) != std::string::npos;
        if (wanted)
            chosen.push_back(s);
    }
    std::sort(chosen.begin(), chosen.end(), [](const ScenarioEntry& a, const ScenarioEntry& b) {
        int byFile = strcmp(a.file, b.file);
        return byFile != 0 ? byFile < 0 : strcmp(a.name, b.name) < 0;
    });
    if (list) {
        for (const ScenarioEntry& s : chosen)
            printf("%s (%s)\n", s.name, BaseName(s.file).c_str());
        return 0;
    }

    int passed = 0, failed = 0;
    auto suiteStart = std::chrono::steady_clock::now();
    for (const ScenarioEntry& s : chosen) {
        printf("%s\n", s.name);
        fflush(stdout);
        size_t failuresBefore = gFailures.size();
        auto start = std::chrono::steady_clock::now();
        try {
            FreshWorld();
            s.run();
        } catch (const ScenarioAbort&) {
        }
        FreshWorld();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        bool ok = gFailures.size() == failuresBefore;
        (ok ? passed : failed)++;
        printf("  %s %s (%.1f s)\n", ok ? "PASS" : "FAIL", s.name, seconds);
        fflush(stdout);
    }
    double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - suiteStart).count();
    printf("end-to-end run: %.0f s\n", total);
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
