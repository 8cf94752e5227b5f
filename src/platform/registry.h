#pragma once
// The registry, always under HKEY_LOCAL_MACHINE. Paths are relative to it
// ("SOFTWARE\\Ostrane\\Velkor").
#include <stdint.h>

typedef uintptr_t RegKey;

const uint32_t kRegSz = 1;     // REG_SZ
const uint32_t kRegDword = 4;  // REG_DWORD

class Registry {
public:
    // RegOpenKeyExA with KEY_READ; a missing key is not created. 1 on success.
    virtual int OpenForRead(const char* path, RegKey* key) = 0;
    // RegOpenKeyExA with KEY_WRITE; a missing key is not created. 1 on success.
    virtual int OpenForWrite(const char* path, RegKey* key) = 0;
    // RegCreateKeyA: opens the key, creating it and any missing parents. 1 on success.
    virtual int Create(const char* path, RegKey* key) = 0;
    // RegQueryValueExA. On entry *size is the buffer's size; 1 on success with
    // *type and *size (the bytes stored) set. A value larger than the buffer
    // fails (0) and leaves the buffer's contents undefined.
    virtual int QueryValue(RegKey key, const char* name, uint32_t* type, void* data, uint32_t* size) = 0;
    // RegSetValueExA as REG_DWORD of 4 bytes.
    virtual int SetDword(RegKey key, const char* name, uint32_t value) = 0;
    // RegSetValueExA as REG_SZ; the stored length counts the terminating NUL.
    virtual int SetString(RegKey key, const char* name, const char* text) = 0;
    // RegDeleteValueA; deleting a missing value is harmless (returns 0).
    virtual int DeleteValue(RegKey key, const char* name) = 0;
    virtual void Close(RegKey key) = 0;

protected:
    ~Registry() = default;
};
