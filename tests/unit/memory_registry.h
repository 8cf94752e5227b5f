#pragma once
// HKEY_LOCAL_MACHINE in memory, behaving as Windows does where the utility
// can tell: key and value names are case-insensitive, every value keeps its
// type and byte size, a read-only open of a missing key fails, create makes
// the missing keys on the way, deleting a missing value is harmless and a
// query into a too-small buffer fails (and scribbles on the buffer, whose
// contents Windows leaves undefined then).
#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"

class MemoryRegistry final : public Registry {
public:
    struct Value {
        std::string name;  // as first written
        uint32_t type = 0;
        std::vector<uint8_t> data;
    };

    int OpenForRead(const char* path, RegKey* key) override;
    int OpenForWrite(const char* path, RegKey* key) override;
    int Create(const char* path, RegKey* key) override;
    int QueryValue(RegKey key, const char* name, uint32_t* type, void* data, uint32_t* size) override;
    int SetDword(RegKey key, const char* name, uint32_t value) override;
    int SetString(RegKey key, const char* name, const char* text) override;
    int DeleteValue(RegKey key, const char* name) override;
    void Close(RegKey key) override;

    // Test side, by path, without handles.
    bool KeyExists(const std::string& path) const;
    void Put(const std::string& path, const std::string& name, uint32_t type,
             const std::vector<uint8_t>& data);
    const Value* Find(const std::string& path, const std::string& name) const;
    std::vector<std::string> ValueNames(const std::string& path) const;  // in the order written
    void Clear() { keys_.clear(); }
    int OpenHandles() const { return static_cast<int>(handles_.size()); }

private:
    struct Key {
        std::vector<Value> values;
    };

    // Lower-case path with single backslashes; empty when the path is not a
    // valid key name (empty, or an empty component).
    static std::string Normalise(const std::string& path);
    Key* KeyOf(RegKey key);
    Value* FindIn(Key* key, const std::string& name);
    Key& MakeKey(const std::string& normalised);
    RegKey NewHandle(const std::string& normalised);
    void Store(Key* key, const std::string& name, uint32_t type, std::vector<uint8_t> data);

    std::map<std::string, Key> keys_;            // by normalised path
    std::map<RegKey, std::string> handles_;      // open handle -> normalised path
    RegKey nextHandle_ = 0x100;
};
