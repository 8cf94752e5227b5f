// VelkorSetup.dll, the setup's own NSIS plug-in, built like the programs (for
// the 486, without the C runtime, with imports every Windows of the 95 line
// has), so that it loads wherever the setup runs.
//
// CommandLine: the setup's command line as Windows handed it over. NSIS cuts
// " /D=FOLDER" from $CMDLINE and, when it does not like that folder (a file
// on the way, no such drive, a relative name), quietly puts the installed or
// default folder in its place: a silent setup would then install somewhere
// else and end with 0. The script reads /D itself from this and refuses.
//
// NameFault FOLDER: "1" when FOLDER holds a character Windows allows in no
// name (< > " | ? * /, a control character, or ':' anywhere but after the
// drive letter), else "0". NSIS drops such characters from a folder unasked,
// so C:\a|b would become C:\ab: the script refuses the folder instead.
//
// ProductName FILE: the ProductName of FILE's version block ("" for none),
// so that an earlier folder's Uninstall.exe counts as Velkor's only when it
// says so itself.
#include <windows.h>

namespace {

// One entry of NSIS's string stack, as its plug-in interface lays it out.
struct NsisStackEntry {
    NsisStackEntry* next;
    char text[1];
};

void Push(NsisStackEntry** top, int stringSize, const char* text)
{
    NsisStackEntry* entry =
        static_cast<NsisStackEntry*>(GlobalAlloc(GPTR, sizeof(NsisStackEntry) + stringSize));
    if (!entry) return;
    lstrcpynA(entry->text, text, stringSize);
    entry->next = *top;
    *top = entry;
}

// Pops into `text` (stringSize bytes); "" when the stack is empty.
void Pop(NsisStackEntry** top, int stringSize, char* text)
{
    text[0] = '\0';
    NsisStackEntry* entry = *top;
    if (!entry) return;
    lstrcpynA(text, entry->text, stringSize);
    *top = entry->next;
    GlobalFree(entry);
}

// The first translation's ProductName, in `name` (size bytes), or "".
void ReadProductName(char* path, char* name, int size)
{
    name[0] = '\0';
    DWORD ignored = 0;
    DWORD bytes = GetFileVersionInfoSizeA(path, &ignored);
    if (bytes == 0) return;
    void* block = GlobalAlloc(GPTR, bytes);
    if (!block) return;
    WORD* translation = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(path, 0, bytes, block) &&
        VerQueryValueA(block, const_cast<char*>("\\VarFileInfo\\Translation"),
                       reinterpret_cast<void**>(&translation), &length) &&
        length >= 4) {
        char query[64];
        wsprintfA(query, "\\StringFileInfo\\%04x%04x\\ProductName", translation[0], translation[1]);
        char* value = nullptr;
        if (VerQueryValueA(block, query, reinterpret_cast<void**>(&value), &length) && value)
            lstrcpynA(name, value, size);
    }
    GlobalFree(block);
}

// Whether `folder` holds a character that no name may hold. The walk goes
// by characters, not bytes: a trail byte of a double-byte character may be
// any of them and is part of that character.
bool HoldsNameFault(const char* folder)
{
    static const char kNeverInNames[] = "<>\"|?*/";
    for (const char* c = folder; *c; c = CharNextA(c)) {
        const unsigned char first = static_cast<unsigned char>(*c);
        if (first < 32)
            return true;
        if (CharNextA(c) != c + 1)
            continue;
        if (*c == ':' && c != folder + 1)
            return true;
        for (const char* never = kNeverInNames; *never; ++never) {
            if (*c == *never)
                return true;
        }
    }
    return false;
}

}  // namespace

extern "C" BOOL WINAPI SetupPluginEntry(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

extern "C" __declspec(dllexport) void __cdecl CommandLine(HWND, int stringSize, char*,
                                                          NsisStackEntry** top, void*)
{
    if (stringSize > 0 && top) Push(top, stringSize, GetCommandLineA());
}

extern "C" __declspec(dllexport) void __cdecl ProductName(HWND, int stringSize, char*,
                                                          NsisStackEntry** top, void*)
{
    if (stringSize <= 0 || !top) return;
    char path[MAX_PATH];
    char name[256];
    Pop(top, sizeof(path), path);
    ReadProductName(path, name, sizeof(name));
    Push(top, stringSize, name);
}

extern "C" __declspec(dllexport) void __cdecl NameFault(HWND, int stringSize, char*,
                                                        NsisStackEntry** top, void*)
{
    if (stringSize <= 0 || !top) return;
    char folder[1024];
    Pop(top, sizeof(folder), folder);
    Push(top, stringSize, HoldsNameFault(folder) ? "1" : "0");
}
