// Velkor-setup.exe and the uninstaller it writes, run under Wine in Windows 98
// mode as an administrator's script would: install, reinstall over settings
// and elsewhere, a boot store by the installed layout, uninstall (also with
// Arbolt.exe gone), both refusing while Velkor runs, folders refused, and the
// companion's own answers; and once as a user without a board, who cancels.
// Velkor-setup.exe and arbolt-sim.exe are taken from beside velkor-sim.exe.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../../res/resource.h"
#include "../e2e_apply_steps.h"
#include "../e2e_driver.h"

using namespace e2e;
using namespace e2e_apply;

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velkor";
const char kOstraneKey[] = "SOFTWARE\\Ostrane";
const char kFilesOfVelkor[][16] = {"Velkor.exe", "Arbolt.exe", "ReadMe.txt"};
const DWORD kVelkorRunning = 5;  // exit code of setup and uninstall while Velkor runs
const DWORD kFolderRefused = 6;
const DWORD kFileNotWritten = 7;
const char kRunningText[] =
    "Velkor is running. Please exit it first (right-click its tray icon, then Exit) and click Retry.";

std::string FolderOf(const std::string& path)
{
    return path.substr(0, path.find_last_of('\\'));
}

std::string SetupPath()
{
    return FolderOf(SimPath()) + "\\Velkor-setup.exe";
}

// Starts a command line exactly as given (Wine's own command line would
// re-quote it and hide "_?=" and "/D=" from the program) and waits for it.
DWORD RunVerbatim(const std::string& commandLine, DWORD* elapsedMs = nullptr)
{
    PROCESS_INFORMATION info = {};
    DWORD started = GetTickCount();
    if (!StartVerbatim(commandLine, &info)) {
        RecordFailure(__FILE__, __LINE__, "cannot start " + commandLine);
        throw ScenarioAbort();
    }
    bool ended = WaitUntil([&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }, 60000);
    if (elapsedMs)
        *elapsedMs = GetTickCount() - started;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    if (!ended)
        TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hProcess);
    return code;
}

struct TextSearch {
    DWORD processId;
    const std::string* text;
    HWND found;
};

BOOL CALLBACK CheckForText(HWND window, LPARAM data)
{
    TextSearch* search = reinterpret_cast<TextSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (Text(child) == *search->text) {
            search->found = window;
            return FALSE;
        }
    }
    return TRUE;
}

// A visible top-level window of the process that holds a control with this text.
HWND WindowShowingText(DWORD processId, const std::string& text)
{
    TextSearch search = {processId, &text, nullptr};
    EnumWindows(CheckForText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The process's visible top-level windows.
std::vector<HWND> VisibleWindowsOf(DWORD processId)
{
    std::vector<HWND> windows;
    for (HWND top = FindWindowExA(NULL, NULL, NULL, NULL); top; top = FindWindowExA(NULL, top, NULL, NULL)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(top, &owner);
        if (owner == processId && IsWindowVisible(top))
            windows.push_back(top);
    }
    return windows;
}

BOOL CALLBACK CheckForPrefix(HWND window, LPARAM data)
{
    std::string* prefix = reinterpret_cast<std::string*>(data);
    if (!IsWindowVisible(window) || Text(window).rfind(*prefix, 0) != 0)
        return TRUE;
    prefix->clear();  // found
    return FALSE;
}

// Whether a window of the process shows, anywhere inside it (the setup's
// pages are dialogs within its dialog), a text beginning so.
bool ShowsTextBeginning(DWORD processId, std::string prefix)
{
    for (HWND top : VisibleWindowsOf(processId))
        EnumChildWindows(top, CheckForPrefix, reinterpret_cast<LPARAM>(&prefix));
    return prefix.empty();
}

// The setup's own window: the one with Next and Cancel.
HWND WizardOf(DWORD processId)
{
    for (HWND top : VisibleWindowsOf(processId)) {
        if (GetDlgItem(top, IDOK) && GetDlgItem(top, IDCANCEL))
            return top;
    }
    return nullptr;
}

// Next on the setup's wizard until the page showing a text beginning so is
// up (a page takes Next only once it is up).
bool NextUntil(DWORD processId, const char* page)
{
    return WaitUntil([&] {
        Click(WizardOf(processId), IDOK);
        return WaitUntil([&] { return ShowsTextBeginning(processId, page); }, 1000);
    }, 20000);
}

// The exit code of a started setup, once it ended (ended by force, and
// STILL_ACTIVE, when it does not).
DWORD ExitCodeOf(PROCESS_INFORMATION* setup)
{
    WaitUntil([&] { return WaitForSingleObject(setup->hProcess, 0) == WAIT_OBJECT_0; }, 20000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(setup->hProcess, &code);
    if (code == STILL_ACTIVE)
        TerminateProcess(setup->hProcess, 99);
    CloseHandle(setup->hProcess);
    return code;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string FileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// The one spelling Velkor's records use for an existing folder.
std::string ShortForm(const std::string& path)
{
    char shortPath[MAX_PATH] = "(missing)";
    GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return shortPath;
}

bool KeyExists(const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool HasValue(const std::string& path, const char* name)
{
    for (const std::string& present : ValueNames(path)) {
        if (present == name)
            return true;
    }
    return false;
}

void WriteString(const std::string& path, const std::string& name, const std::string& text)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

std::string String(const std::string& path, const std::string& name)
{
    std::string text;
    return ReadString(path, name, &text) ? text : "(missing)";
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, csidl, FALSE);
    return path;
}

// Velkor's records are the machine's: its shortcuts are the common ones.
std::string ProgramsFolder()
{
    return ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Velkor";
}

std::string StartupShortcut()
{
    return ShellFolder(CSIDL_COMMON_STARTUP) + "\\Velkor.lnk";
}

// Target and arguments of a shortcut, "(none)" when it cannot be read.
std::string ShortcutCommand(const std::string& path)
{
    std::string command = "(none)";
    CoInitialize(NULL);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            WCHAR widePath[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
            char target[MAX_PATH] = "", arguments[MAX_PATH] = "";
            if (SUCCEEDED(file->Load(widePath, STGM_READ)) &&
                SUCCEEDED(link->GetPath(target, MAX_PATH, NULL, 0)) &&
                SUCCEEDED(link->GetArguments(arguments, MAX_PATH))) {
                command = std::string(target) + (arguments[0] ? std::string(" ") + arguments : "");
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return command;
}

// "a.b.c.d" of a program's own version block.
std::string FileVersion(const std::string& path)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> block(size ? size : 1);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoA(path.c_str(), 0, size, block.data()) ||
        !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length))
        return "(none)";
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

std::string DefaultFolder()
{
    // $PROGRAMFILES of a 32-bit installer, as this 32-bit program sees it.
    std::string programFiles;
    E2E_REQUIRE(ReadString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", &programFiles));
    return programFiles + "\\Ostrane\\Velkor";
}

std::string Uninstaller(const std::string& folder)
{
    return folder + "\\Uninstall.exe";
}

// Silently, in place, so that the run can be waited for.
std::string UninstallCommand(const std::string& folder)
{
    return "\"" + Uninstaller(folder) + "\" /S _?=" + folder;
}

// What a silent uninstall in place leaves of the installation: the
// uninstaller itself in its folder.
void RemoveLeftUninstaller(const std::string& folder)
{
    DeleteFileA(Uninstaller(folder).c_str());
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(FolderOf(folder).c_str());
}

// No trace of an installation from an earlier run.
void ForgetInstallation(const std::string& folder)
{
    for (const char* file : kFilesOfVelkor)
        DeleteFileA((folder + "\\" + file).c_str());
    RemoveLeftUninstaller(folder);
    DeleteFileA((ProgramsFolder() + "\\Velkor.lnk").c_str());
    DeleteFileA((ProgramsFolder() + "\\Uninstall Velkor.lnk").c_str());
    DeleteFileA((ProgramsFolder() + "\\Read me.lnk").c_str());
    RemoveDirectoryA(ProgramsFolder().c_str());
    DeleteFileA(StartupShortcut().c_str());
    DeleteKeyTree(kUninstallKey);
    DeleteKeyTree(kOstraneKey);
    DeleteValue(kRunKey, "NvInitialize");
}

DWORD Install(const std::string& switches, const char* what);

void ExpectInstalled(const std::string& folder)
{
    for (const char* file : kFilesOfVelkor)
        E2E_CHECK_MSG(FileExists(folder + "\\" + file), file);
    E2E_CHECK(FileExists(Uninstaller(folder)));
    // The log-on entry that names Arbolt.exe through "Path" has no blanks.
    E2E_CHECK_EQ(ShortForm(folder), String(kSettingsKey, "Path"));
    E2E_CHECK_EQ(folder + "\\Velkor.exe", ShortcutCommand(ProgramsFolder() + "\\Velkor.lnk"));
    E2E_CHECK_EQ(folder + "\\ReadMe.txt", ShortcutCommand(ProgramsFolder() + "\\Read me.lnk"));
    E2E_CHECK_EQ(Uninstaller(folder), ShortcutCommand(ProgramsFolder() + "\\Uninstall Velkor.lnk"));
    E2E_CHECK_EQ("Velkor", String(kUninstallKey, "DisplayName"));
    E2E_CHECK_EQ(FileVersion(folder + "\\Velkor.exe"), String(kUninstallKey, "DisplayVersion"));
    E2E_CHECK_EQ("Ostrane", String(kUninstallKey, "Publisher"));
    E2E_CHECK_EQ("\"" + Uninstaller(folder) + "\"", String(kUninstallKey, "UninstallString"));
    E2E_CHECK_EQ(folder, String(kUninstallKey, "InstallLocation"));
    E2E_CHECK_EQ(VELKOR_WEB_URL, String(kUninstallKey, "URLInfoAbout"));
    uint32_t size = 0, flag = 0;
    E2E_CHECK(ReadDword(kUninstallKey, "EstimatedSize", &size) && size >= 100 && size < 1000);
    E2E_CHECK(ReadDword(kUninstallKey, "NoModify", &flag) && flag == 1);
    E2E_CHECK(ReadDword(kUninstallKey, "NoRepair", &flag) && flag == 1);
}

// A silent setup that refused the folder: exit code 6, nothing written.
void ExpectRefused(const std::string& folder, const char* what)
{
    E2E_CHECK_EQ(kFolderRefused, Install(" /D=" + folder, what));
    E2E_CHECK(!KeyExists(kOstraneKey));
    E2E_CHECK(!KeyExists(kUninstallKey));
    E2E_CHECK(!FileExists(ProgramsFolder()));
    E2E_CHECK(!FileExists(folder + "\\Velkor.exe"));
}

void ExpectUninstalled(const std::string& folder)
{
    for (const char* file : kFilesOfVelkor)
        E2E_CHECK_MSG(!FileExists(folder + "\\" + file), file);
    E2E_CHECK(!FileExists(ProgramsFolder()));
    E2E_CHECK(!FileExists(StartupShortcut()));
    E2E_CHECK(!KeyExists(kUninstallKey));
    E2E_CHECK(!KeyExists(kOstraneKey));
}

DWORD Install(const std::string& switches, const char* what)
{
    DWORD elapsed = 0;
    DWORD code = RunVerbatim("\"" + SetupPath() + "\" /S" + switches, &elapsed);
    Note(std::string(what) + ": exit code " + std::to_string(code) + ", " + std::to_string(elapsed) + " ms");
    return code;
}

DWORD Uninstall(const std::string& folder, const char* what)
{
    DWORD elapsed = 0;
    DWORD code = RunVerbatim(UninstallCommand(folder), &elapsed);
    Note(std::string(what) + ": exit code " + std::to_string(code) + ", " + std::to_string(elapsed) + " ms");
    return code;
}

}  // namespace

E2E_SCENARIO(installer_default_folder_reinstall_store_and_uninstall)
{
    const std::string folder = DefaultFolder();
    ForgetInstallation(folder);
    E2E_REQUIRE(FileExists(SetupPath()));
    E2E_REQUIRE(Install("", "silent install") == 0);
    ExpectInstalled(folder);
    E2E_CHECK(!FileExists(StartupShortcut()));
    // The uninstaller exists only once installed: kept for the import check.
    CopyFileA(Uninstaller(folder).c_str(), (FolderOf(SimPath()) + "\\Uninstall-installed.exe").c_str(), FALSE);
    DWORD baseline = 0;
    RunVerbatim("\"" + folder + "\\Arbolt.exe\" -running", &baseline);
    Note("a start of Arbolt.exe that only asks whether Velkor runs: " + std::to_string(baseline) + " ms");

    // The user's settings survive an installation over them.
    const char* numbers[] = {"Device", "Reboot", "GFX Min", "GFX Max", "MEM Min", "MEM Max", "Gracie", "George"};
    const uint32_t planted[] = {2, 0, 115, 150, 140, 170, 131, 157};
    for (size_t i = 0; i < 8; ++i)
        WriteDword(kSettingsKey, numbers[i], planted[i]);
    E2E_CHECK_EQ(0u, Install("", "silent reinstall"));
    ExpectInstalled(folder);
    for (size_t i = 0; i < 8; ++i) {
        uint32_t value = 0;
        E2E_CHECK_MSG(ReadDword(kSettingsKey, numbers[i], &value) && value == planted[i], numbers[i]);
    }

    // A kept apply stored by Velkor with a newer display driver: the log-on
    // entry names the installed companion, through "Path".
    {
        DisplayCoreFile core(400);
        E2E_REQUIRE(core.Placed());
        Chip chip;
        Sim sim = Sim::Start("", "board=TNT2");
        HWND main = StartShown(&sim, &chip);
        E2E_CHECK(!Checked(main, kResetOnReboot));  // "Reboot" 0 as planted
        KeepClocks(sim, main, 140, 160);
        PostMessageA(main, WM_TIMER, kBootTimer, 0);
        E2E_CHECK(WaitUntil([&] { return String(kRunKey, "NvInitialize") != "(missing)"; }));
        E2E_CHECK_EQ(ShortForm(folder) + "\\Arbolt.exe", String(kRunKey, "NvInitialize"));
        E2E_CHECK_EQ(0u, sim.Exit());
    }
    uint32_t seed = 0, word = 0;
    E2E_CHECK(ReadDword(kTweakKey, "Homer", &seed));
    E2E_CHECK(ReadDword(kTweakKey, "Krusty", &word));
    // Records of an older driver from an earlier store, and values that are not Velkor's.
    WriteDword(kRivaTntSystemKey, "Gracie", 0x0001E30D);
    WriteDword(kRivaTntSystemKey, "George", 0x0000880D);
    WriteDword(kRivaTntSystemKey, "Velkor Test Other", 7);
    WriteDword(kTweakKey, "Velkor Test Other", 7);
    WriteString(kRunKey, "Velkor Test Other", "C:\\Other\\Other.exe");

    // The uninstaller carries its own companion: the records go even when
    // the installed one is gone.
    E2E_REQUIRE(DeleteFileA((folder + "\\Arbolt.exe").c_str()));
    E2E_CHECK_EQ(0u, Uninstall(folder, "silent uninstall with Arbolt.exe deleted"));
    ExpectUninstalled(folder);
    E2E_CHECK(!HasValue(kRunKey, "NvInitialize"));
    E2E_CHECK(!HasValue(kTweakKey, "Krusty"));
    E2E_CHECK(!HasValue(kRivaTntSystemKey, "Gracie"));
    E2E_CHECK(!HasValue(kRivaTntSystemKey, "George"));
    uint32_t seedAfter = 0;
    E2E_CHECK(ReadDword(kTweakKey, "Homer", &seedAfter) && seedAfter == seed);
    uint32_t other = 0;
    E2E_CHECK(ReadDword(kRivaTntSystemKey, "Velkor Test Other", &other) && other == 7);
    E2E_CHECK(ReadDword(kTweakKey, "Velkor Test Other", &other) && other == 7);
    E2E_CHECK_EQ("C:\\Other\\Other.exe", String(kRunKey, "Velkor Test Other"));

    RemoveLeftUninstaller(folder);
    DeleteValue(kRunKey, "Velkor Test Other");
    DeleteKeyTree("SOFTWARE\\NVIDIA Corporation");
}

E2E_SCENARIO(installer_custom_folder_with_spaces_tray_start_and_a_running_velkor)
{
    const std::string folder = "C:\\Velkor Test Folder\\My Velkor";
    ForgetInstallation(folder);
    E2E_REQUIRE(Install(" /TRAY /D=" + folder, "silent install to a folder with spaces, tray start") == 0);
    ExpectInstalled(folder);
    E2E_CHECK_EQ(folder + "\\Velkor.exe -q", ShortcutCommand(StartupShortcut()));

    // Velkor running in the tray: neither setup nor uninstall changes anything.
    {
        Sim sim = Sim::Start(" -q", "board=TNT2");
        sim.MainWindow();
        DeleteFileA((folder + "\\ReadMe.txt").c_str());  // a setup that ran would bring it back
        E2E_CHECK_EQ(kVelkorRunning, Install("", "silent reinstall while Velkor runs"));
        E2E_CHECK(!FileExists(folder + "\\ReadMe.txt"));
        E2E_CHECK_EQ(kVelkorRunning, Uninstall(folder, "silent uninstall while Velkor runs"));

        // Not silent: the user is asked, and may give up.
        std::string command = "\"" + SetupPath() + "\"";
        PROCESS_INFORMATION setup = {};
        E2E_REQUIRE(StartVerbatim(command, &setup));
        HWND question = nullptr;
        E2E_CHECK(WaitUntil([&] { return (question = WindowShowingText(setup.dwProcessId, kRunningText)) != nullptr; },
                            20000));
        if (question)
            PostMessageA(question, WM_COMMAND, IDCANCEL, 0);
        E2E_CHECK_EQ(kVelkorRunning, ExitCodeOf(&setup));
        E2E_CHECK(FileExists(folder + "\\Velkor.exe"));
        E2E_CHECK(FileExists(StartupShortcut()));
        E2E_CHECK_EQ(ShortForm(folder), String(kSettingsKey, "Path"));
        E2E_CHECK(KeyExists(kUninstallKey));
        E2E_CHECK_EQ(0u, sim.Exit());
    }

    // The companion knows this installation's log-on entry however it is
    // spelled, and no other program's.
    const std::string companion = folder + "\\Arbolt.exe";
    const std::string otherFolder = "C:\\Velkor Test Other";
    CreateDirectoryA(otherFolder.c_str(), NULL);
    WriteFileText(otherFolder + "\\Arbolt.exe", "another program");
    std::string slashes = companion;
    for (char& c : slashes)
        c = c == '\\' ? '/' : c;
    const struct {
        std::string entry;
        bool ours;
    } spellings[] = {
        {companion, true},
        {ShortForm(companion), true},
        {ShortForm(folder) + "\\ARBOLT.EXE", true},
        {"c:\\velkor test folder\\my velkor\\arbolt.exe", true},
        {folder + "\\..\\My Velkor\\Arbolt.exe", true},
        {"C:\\\\Velkor Test Folder\\My Velkor\\\\Arbolt.exe", true},
        {slashes, true},
        {otherFolder + "\\Arbolt.exe", false},
        {ShortForm(otherFolder) + "\\Arbolt.exe", false},
        {companion + ".old", false},
        {FolderOf(folder) + "\\Arbolt.exe", false},
    };
    for (const auto& spelling : spellings) {
        WriteString(kRunKey, "NvInitialize", spelling.entry);
        RunVerbatim("\"" + companion + "\" -uninstall \"" + companion + "\"");
        E2E_CHECK_MSG(HasValue(kRunKey, "NvInitialize") != spelling.ours, spelling.entry);
    }
    DeleteFileA((otherFolder + "\\Arbolt.exe").c_str());
    RemoveDirectoryA(otherFolder.c_str());

    // Installing elsewhere moves Velkor, not the user's choices: the
    // settings, the kept clocks and their boot records stay, and the log-on
    // entry starts the companion in the new folder.
    const std::string elsewhere = "C:\\Velkor Test Elsewhere";
    WriteString(kRunKey, "NvInitialize", ShortForm(folder) + "\\Arbolt.exe");
    const char* kept[] = {"Device", "Reboot", "GFX Max", "Gracie", "George"};
    const uint32_t keptValues[] = {2, 0, 150, 140, 160};
    for (size_t i = 0; i < 5; ++i)
        WriteDword(kSettingsKey, kept[i], keptValues[i]);
    WriteDword(kTweakKey, "Krusty", 0x1234ABCD);
    E2E_CHECK_EQ(0u, Install(" /D=" + elsewhere, "silent install elsewhere"));
    ExpectInstalled(elsewhere);
    E2E_CHECK(!FileExists(folder));
    E2E_CHECK_MSG(!FileExists(FolderOf(folder)), "made by the setup, left empty");
    for (size_t i = 0; i < 5; ++i) {
        uint32_t value = 0;
        E2E_CHECK_MSG(ReadDword(kSettingsKey, kept[i], &value) && value == keptValues[i], kept[i]);
    }
    uint32_t word = 0;
    E2E_CHECK(ReadDword(kTweakKey, "Krusty", &word) && word == 0x1234ABCD);
    E2E_CHECK_EQ(ShortForm(elsewhere) + "\\Arbolt.exe", String(kRunKey, "NvInitialize"));
    E2E_CHECK_EQ(elsewhere + "\\Velkor.exe -q", ShortcutCommand(StartupShortcut()));

    E2E_CHECK_EQ(0u, Uninstall(elsewhere, "silent uninstall from a folder with spaces"));
    ExpectUninstalled(elsewhere);
    E2E_CHECK(!HasValue(kRunKey, "NvInitialize"));
    RemoveLeftUninstaller(elsewhere);
    DeleteKeyTree("SOFTWARE\\NVIDIA Corporation");
}

E2E_SCENARIO(installer_refuses_folders_it_cannot_use_and_takes_the_longest_it_can)
{
    // Velkor in V1 with the user's settings and kept records: a run that
    // cannot install where it is asked leaves all of it as it was.
    const std::string v1 = "C:\\Velkor Test V1";
    ForgetInstallation(v1);
    E2E_REQUIRE(Install(" /D=" + v1, "silent install into V1") == 0);
    WriteDword(kSettingsKey, "Reboot", 0);
    WriteDword(kSettingsKey, "Gracie", 140);
    WriteString(kRunKey, "NvInitialize", ShortForm(v1) + "\\Arbolt.exe");
    const struct {
        const char* what;
        std::string folder;
        DWORD exitCode;
    } failing[] = {  // the host's /proc takes neither folders nor files
        {"silent install into a folder Windows cannot make", "Z:\\proc\\Velkor", kFolderRefused},
        {"silent install into a folder that takes no files", "Z:\\proc", kFileNotWritten},
        // Folders NSIS would quietly swap for V1's
        {"silent install below a file", "C:\\Velkor Test File\\sub", kFolderRefused},
        {"silent install into a relative folder", "Velkor Test Relative", kFolderRefused},
        // Characters Windows takes in no name, which NSIS would quietly drop
        {"silent install into a folder with |", "C:\\Velkor Test\\a|b", kFolderRefused},
        {"silent install into a folder with < and >", "C:\\Velkor Test\\<ab>", kFolderRefused},
        {"silent install into a folder with a quote", "C:\\Velkor Test\\a\"b", kFolderRefused},
        {"silent install into a folder with ? and *", "C:\\Velkor Test\\a?b*", kFolderRefused},
        {"silent install into a folder with a tab", "C:\\Velkor Test\\a\tb", kFolderRefused},
        {"silent install into a folder with a colon inside", "C:\\Velkor Test\\a:b", kFolderRefused},
        {"silent install into a folder with a forward slash", "C:\\Velkor Test/ab", kFolderRefused},
    };
    WriteFileText("C:\\Velkor Test File", "a file where a folder would be");
    for (const auto& c : failing) {
        E2E_CHECK_MSG(Install(" /D=" + c.folder, c.what) == c.exitCode, c.what);
        ExpectInstalled(v1);
        uint32_t gracie = 0;
        E2E_CHECK(ReadDword(kSettingsKey, "Gracie", &gracie) && gracie == 140);
        E2E_CHECK_EQ(ShortForm(v1) + "\\Arbolt.exe", String(kRunKey, "NvInitialize"));
        E2E_CHECK(!FileExists(c.folder + "\\Velkor.exe"));
    }
    E2E_CHECK_MSG(!FileExists("C:\\Velkor Test"), "a folder refused for its name makes nothing on the way");

    DeleteFileA("C:\\Velkor Test File");

    // Another program's uninstaller where Velkor's was: an install elsewhere
    // neither runs nor deletes it, and leaves that folder as it is.
    char hostname[MAX_PATH];
    GetSystemDirectoryA(hostname, MAX_PATH);
    E2E_REQUIRE(CopyFileA((std::string(hostname) + "\\hostname.exe").c_str(), Uninstaller(v1).c_str(), FALSE));
    const std::string v5 = "C:\\Velkor Test V5";
    E2E_CHECK_EQ(0u, Install(" /D=" + v5, "silent install elsewhere, another program's uninstaller in V1"));
    ExpectInstalled(v5);
    E2E_CHECK(FileExists(Uninstaller(v1)));
    E2E_CHECK(FileExists(v1 + "\\Velkor.exe"));
    E2E_CHECK_EQ(0u, Uninstall(v5, "silent uninstall from V5"));
    RemoveLeftUninstaller(v5);
    ForgetInstallation(v1);

    // Another program's read-me and uninstaller under Velkor's names.
    const std::string foreign = "C:\\Velkor Test Foreign";
    ForgetInstallation(DefaultFolder());
    CreateDirectoryA(foreign.c_str(), NULL);
    WriteFileText(foreign + "\\ReadMe.txt", "another program's read-me");
    WriteFileText(foreign + "\\Uninstall.exe", "another program's uninstaller");
    ExpectRefused(foreign, "silent install into another program's folder");
    E2E_CHECK_EQ("another program's read-me", FileText(foreign + "\\ReadMe.txt"));
    E2E_CHECK_EQ("another program's uninstaller", FileText(foreign + "\\Uninstall.exe"));
    DeleteFileA((foreign + "\\ReadMe.txt").c_str());
    DeleteFileA((foreign + "\\Uninstall.exe").c_str());
    RemoveDirectoryA(foreign.c_str());

    // 244 characters in 8.3 form: "Path" and its log-on entry of 255 fit.
    std::string deep = "C:\\VLKTEST";
    while (deep.size() < 244)
        deep += "\\ABCDEFGH";
    E2E_REQUIRE(deep.size() == 244);
    ExpectRefused(deep + "Y", "silent install into a folder of 245 characters");
    E2E_CHECK(!FileExists(deep + "Y"));
    E2E_CHECK_EQ(0u, Install(" /D=" + deep, "silent install into a folder of 244 characters"));
    ExpectInstalled(deep);
    WriteString(kRunKey, "NvInitialize", deep + "\\Arbolt.exe");
    E2E_CHECK_EQ(0u, Uninstall(deep, "silent uninstall from a folder of 244 characters"));
    ExpectUninstalled(deep);
    E2E_CHECK(!HasValue(kRunKey, "NvInitialize"));
    RemoveLeftUninstaller(deep);
    for (std::string folder = FolderOf(deep); folder.size() > 3; folder = FolderOf(folder))
        RemoveDirectoryA(folder.c_str());

    // The companion's board check, as the setup asks it: no window either way.
    const std::string arboltSim = FolderOf(SimPath()) + "\\arbolt-sim.exe";
    const struct {
        const char* sim;
        DWORD exitCode;
    } boards[] = {{"board=TNT2", 0}, {"board=0x0030", 1}};
    for (const auto& board : boards) {
        SetEnvironmentVariableA("VELKOR_SIM", board.sim);
        PROCESS_INFORMATION info = {};
        E2E_REQUIRE(StartVerbatim("\"" + arboltSim + "\" -board", &info));
        bool shown = false;
        while (WaitForSingleObject(info.hProcess, 5) == WAIT_TIMEOUT)
            shown = shown || !VisibleWindowsOf(info.dwProcessId).empty();
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        E2E_CHECK_MSG(code == board.exitCode, board.sim << ": " << code);
        E2E_CHECK(!shown);
    }
}

// A user without a supported board (Wine's emulated ports answer no device)
// hears it before choosing anything, and may leave: nothing is installed.
// Installing anyway, the finish page offers the read-me, not a Velkor that
// would end without a window.
E2E_SCENARIO(installer_tells_a_user_without_a_board_and_cancels_or_installs_anyway)
{
    ForgetInstallation(DefaultFolder());
    PROCESS_INFORMATION setup = {};
    E2E_REQUIRE(StartVerbatim("\"" + SetupPath() + "\"", &setup));
    DWORD id = setup.dwProcessId;
    E2E_CHECK(WaitUntil([&] { return ShowsTextBeginning(id, "Welcome to Velkor"); }, 20000));
    E2E_CHECK(NextUntil(id, "Please read this first"));
    Shot("installer_read_me_page", WizardOf(id));
    E2E_CHECK(NextUntil(id, "Setup found no graphics board"));
    Click(WizardOf(id), IDCANCEL);
    const std::string question = "Are you sure you want to quit Velkor Setup? Nothing has been installed.";
    HWND box = nullptr;
    E2E_CHECK(WaitUntil([&] { return (box = WindowShowingText(id, question)) != nullptr; }));
    if (box)
        PostMessageA(box, WM_COMMAND, IDYES, 0);
    DWORD code = ExitCodeOf(&setup);
    Note("setup cancelled on the no-board page: exit code " + std::to_string(code));
    E2E_CHECK_EQ(1u, code);  // the user cancelled
    E2E_CHECK(!KeyExists(kOstraneKey));
    E2E_CHECK(!KeyExists(kUninstallKey));
    E2E_CHECK(!FileExists(DefaultFolder()));

    E2E_REQUIRE(StartVerbatim("\"" + SetupPath() + "\"", &setup));
    id = setup.dwProcessId;
    for (const char* page : {"Please read this first", "Setup found no graphics board", "Choose what Setup installs",
                             "Setup will install Velkor"})
        E2E_CHECK_MSG(NextUntil(id, page), page);
    // A folder typed with a character no name may hold is refused, not
    // installed without it.
    const HWND wizard = WizardOf(id);
    HWND folderBox = GetDlgItem(FindWindowExA(wizard, NULL, "#32770", NULL), 1019);
    SendMessageA(folderBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\Velkor Test\\a|b"));
    Click(wizard, IDOK);
    E2E_CHECK(WaitUntil([&] { return ShowsTextBeginning(id, "Setup cannot install into C:\\Velkor Test\\a|b"); }));
    for (HWND top : VisibleWindowsOf(id)) {
        if (top != wizard)
            PostMessageA(top, WM_COMMAND, IDOK, 0);
    }
    E2E_CHECK(WaitUntil([&] { return VisibleWindowsOf(id).size() == 1; }));
    SendMessageA(folderBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(DefaultFolder().c_str()));
    Click(wizard, IDOK);  // Install, once: the finish page would take a second click
    E2E_CHECK(WaitUntil([&] { return ShowsTextBeginning(id, "&Show read-me"); }, 30000));
    Shot("installer_finish_page_without_a_board", wizard);
    E2E_CHECK(!ShowsTextBeginning(id, "&Run Velkor"));
    Click(wizard, IDOK);
    E2E_CHECK_EQ(0u, ExitCodeOf(&setup));
    ExpectInstalled(DefaultFolder());
    E2E_CHECK(!FileExists("C:\\Velkor Test"));
    E2E_CHECK_EQ(0u, Uninstall(DefaultFolder(), "silent uninstall after installing without a board"));
    RemoveLeftUninstaller(DefaultFolder());
}
