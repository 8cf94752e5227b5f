// The registry seam on ADVAPI32, always under HKEY_LOCAL_MACHINE.
#include <windows.h>

#include "platform/win32/win32_platform.h"

static HKEY AsHkey(RegKey key)
{
    return reinterpret_cast<HKEY>(key);
}

static int Opened(LONG status, HKEY opened, RegKey* key)
{
    if (status != ERROR_SUCCESS)
        return 0;
    *key = reinterpret_cast<RegKey>(opened);
    return 1;
}

int Win32Registry::OpenForRead(const char* path, RegKey* key)
{
    HKEY opened = NULL;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &opened);
    return Opened(status, opened, key);
}

int Win32Registry::OpenForWrite(const char* path, RegKey* key)
{
    HKEY opened = NULL;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_WRITE, &opened);
    return Opened(status, opened, key);
}

int Win32Registry::Create(const char* path, RegKey* key)
{
    HKEY opened = NULL;
    LONG status = RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &opened);
    return Opened(status, opened, key);
}

int Win32Registry::QueryValue(RegKey key, const char* name, uint32_t* type, void* data,
                              uint32_t* size)
{
    DWORD valueType = 0;
    DWORD valueSize = *size;
    LONG status = RegQueryValueExA(AsHkey(key), name, NULL, &valueType,
                                   static_cast<BYTE*>(data), &valueSize);
    *type = valueType;
    *size = valueSize;
    return status == ERROR_SUCCESS;
}

int Win32Registry::SetDword(RegKey key, const char* name, uint32_t value)
{
    DWORD data = value;  // x86: already the little-endian layout of REG_DWORD
    return RegSetValueExA(AsHkey(key), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

int Win32Registry::SetString(RegKey key, const char* name, const char* text)
{
    return RegSetValueExA(AsHkey(key), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          lstrlenA(text) + 1) == ERROR_SUCCESS;
}

int Win32Registry::DeleteValue(RegKey key, const char* name)
{
    return RegDeleteValueA(AsHkey(key), name) == ERROR_SUCCESS;
}

void Win32Registry::Close(RegKey key)
{
    RegCloseKey(AsHkey(key));
}
