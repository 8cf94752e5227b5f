// The Wine test program runs the shared registry tests against the real
// HKEY_LOCAL_MACHINE of its prefix, through Win32Registry. The test side
// plants and inspects values with ADVAPI32 directly.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/win32_platform.h"
#include "registry_under_test.h"

namespace {

// RegDeleteKeyA leaves keys with subkeys in place on the NT line (Wine).
void DeleteTree(HKEY parent, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char child[256];
    for (;;) {
        DWORD length = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        DeleteTree(key, child);
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name);
}

class Win32RegistryUnderTest final : public RegistryUnderTest {
public:
    Registry* Seam() override { return &registry_; }

    void Wipe() override
    {
        const char* trees[] = {
            "SOFTWARE\\Ostrane",
            "SOFTWARE\\NVIDIA Corporation",
            kTestKeyRoot,
            "System\\CurrentControlSet\\Services\\Class\\Display",
        };
        for (const char* tree : trees)
            DeleteTree(HKEY_LOCAL_MACHINE, tree);
        HKEY run;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                          KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
            RegDeleteValueA(run, "NvInitialize");
            RegCloseKey(run);
        }
    }

    void Put(const std::string& path, const std::string& name, uint32_t type,
             const std::vector<uint8_t>& data) override
    {
        HKEY key;
        if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) {
            ADD_FAILURE_AT(__FILE__, __LINE__) << "cannot create " << path;
            return;
        }
        // Wine's RegSetValueExA looks past the given size of a string that
        // does not end in a NUL and stores everything up to the next NUL it
        // finds: a NUL right behind the bytes keeps what it stores to them.
        std::vector<uint8_t> bytes(data);
        bytes.push_back(0);
        LONG status = RegSetValueExA(key, name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(data.size()));
        RegCloseKey(key);
        if (status != ERROR_SUCCESS)
            ADD_FAILURE_AT(__FILE__, __LINE__) << "cannot set " << path << " " << name << ": " << status;
    }

    bool Get(const std::string& path, const std::string& name, StoredValue* value) override
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        // Asked for exactly its size, so the A function has no room to add a NUL of its own.
        DWORD type = 0, size = 0;
        bool found = RegQueryValueExA(key, name.c_str(), NULL, &type, NULL, &size) == ERROR_SUCCESS;
        if (found) {
            value->type = type;
            value->data.assign(size, 0);
            found = RegQueryValueExA(key, name.c_str(), NULL, &type, value->data.data(), &size) ==
                    ERROR_SUCCESS;
            value->data.resize(size);
        }
        RegCloseKey(key);
        return found;
    }

    bool KeyExists(const std::string& path) override
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    std::vector<std::string> ValueNames(const std::string& path) override
    {
        std::vector<std::string> names;
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return names;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof name;
            if (RegEnumValueA(key, i, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
                break;
            names.push_back(name);
        }
        RegCloseKey(key);
        return names;
    }

private:
    Win32Registry registry_;
};

}  // namespace

std::unique_ptr<RegistryUnderTest> MakeRegistryUnderTest()
{
    return std::unique_ptr<RegistryUnderTest>(new Win32RegistryUnderTest);
}
