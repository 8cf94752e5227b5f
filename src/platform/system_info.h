#pragma once
// Version and file queries of the operating system.
#include <stdint.h>

const uint32_t kPlatformWin32Windows = 1;  // VER_PLATFORM_WIN32_WINDOWS, the 9x line
const uint32_t kPlatformWin32Nt = 2;       // VER_PLATFORM_WIN32_NT

class SystemInfo {
public:
    virtual uint32_t GetVersion() = 0;
    // dwPlatformId of GetVersionExA called with dwOSVersionInfoSize = 148.
    virtual uint32_t GetPlatformId() = 0;
    // GetSystemDirectoryA: returns the length copied, 0 on failure.
    virtual uint32_t GetSystemDirectory(char* buffer, uint32_t size) = 0;
    // The fixed file version (VS_FIXEDFILEINFO dwFileVersionMS/LS) of a file:
    // 1 when the file has one, 0 otherwise (missing file, no resource, no memory).
    virtual int GetFileVersion(const char* path, uint32_t* versionMS, uint32_t* versionLS) = 0;
    // This program's own file, as GetModuleFileNameA names it: the length
    // copied, 0 on failure or when it does not fit (with the NUL) in size.
    virtual uint32_t GetProgramPath(char* buffer, uint32_t size) = 0;
    // One spelling for every way of naming an existing file or folder (8.3 or
    // long, "..", doubled or forward slashes): the full path
    // (GetFullPathNameA), then its short form (GetShortPathNameA). The length
    // copied; 0 when the path names nothing that exists or does not fit.
    virtual uint32_t GetCanonicalPath(const char* path, char* buffer, uint32_t size) = 0;

protected:
    ~SystemInfo() = default;
};
