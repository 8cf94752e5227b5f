// A program Windows 98 could not load, for the import checker's own test:
// console subsystem, version 5.1 (set by the link), a W function and a DLL
// outside the allowed set.
#include <windows.h>

#include <mmsystem.h>

int main()
{
    HMODULE module = LoadLibraryW(L"none.dll");
    return module ? 0 : static_cast<int>(timeGetTime() & 1);
}
