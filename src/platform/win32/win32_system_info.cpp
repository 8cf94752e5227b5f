// Version queries of the running system and the file version of a driver file.
#include <windows.h>

#include <string.h>

#include "platform/win32/win32_platform.h"

// The size the 9x line expects in dwOSVersionInfoSize.
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");

uint32_t Win32SystemInfo::GetVersion()
{
    return ::GetVersion();
}

uint32_t Win32SystemInfo::GetPlatformId()
{
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    // 0 is no platform the port layer accepts, so a failed query stops it.
    if (!GetVersionExA(&info))
        return 0;
    return info.dwPlatformId;
}

uint32_t Win32SystemInfo::GetSystemDirectory(char* buffer, uint32_t size)
{
    return ::GetSystemDirectoryA(buffer, size);
}

int Win32SystemInfo::GetFileVersion(const char* path, uint32_t* versionMS, uint32_t* versionLS)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return 0;

    HANDLE heap = GetProcessHeap();
    void* block = HeapAlloc(heap, 0, size);
    if (!block)
        return 0;

    int found = 0;
    if (GetFileVersionInfoA(path, 0, size, block)) {
        void* fixed = NULL;
        UINT fixedBytes = 0;
        // Only a whole VS_FIXEDFILEINFO inside the block is taken; a truncated
        // resource would otherwise be read past its end.
        if (VerQueryValueA(block, "\\", &fixed, &fixedBytes) && fixed && fixedBytes >= sizeof(VS_FIXEDFILEINFO)) {
            const VS_FIXEDFILEINFO* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
            *versionMS = info->dwFileVersionMS;
            *versionLS = info->dwFileVersionLS;
            found = 1;
        }
    }
    HeapFree(heap, 0, block);
    return found;
}

uint32_t Win32SystemInfo::GetProgramPath(char* buffer, uint32_t size)
{
    // A name cut to fit is no name: GetModuleFileNameA then fills the buffer.
    DWORD length = GetModuleFileNameA(NULL, buffer, size);
    if (length == 0 || length >= size) {
        if (size)
            buffer[0] = '\0';
        return 0;
    }
    return length;
}

uint32_t Win32SystemInfo::GetCanonicalPath(const char* path, char* buffer, uint32_t size)
{
    if (size)
        buffer[0] = '\0';
    if (!path || !path[0])
        return 0;
    // Full path first ("..", relative parts, forward slashes), then the 8.3
    // form, which fails for a path that does not exist. GetLongPathNameA is
    // not on Windows 95; the short form is.
    char full[MAX_PATH];
    char* filePart = NULL;
    DWORD length = GetFullPathNameA(path, sizeof full, full, &filePart);
    if (length == 0 || length >= sizeof full)
        return 0;
    length = GetShortPathNameA(full, buffer, size);
    if (length == 0 || length >= size) {
        if (size)
            buffer[0] = '\0';
        return 0;
    }
    return length;
}
