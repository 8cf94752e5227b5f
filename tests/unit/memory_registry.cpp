#include "memory_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>

static std::string Lower(const std::string& text)
{
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string MemoryRegistry::Normalise(const std::string& path)
{
    if (path.empty())
        return std::string();
    std::string out = Lower(path);
    if (out.back() == '\\')
        out.pop_back();
    if (out.empty() || out.front() == '\\' || out.find("\\\\") != std::string::npos)
        return std::string();
    return out;
}

MemoryRegistry::Key& MemoryRegistry::MakeKey(const std::string& normalised)
{
    // Every key on the way exists too, as RegCreateKeyA makes them.
    for (size_t at = normalised.find('\\'); at != std::string::npos;
         at = normalised.find('\\', at + 1))
        keys_[normalised.substr(0, at)];
    return keys_[normalised];
}

RegKey MemoryRegistry::NewHandle(const std::string& normalised)
{
    RegKey handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = normalised;
    return handle;
}

int MemoryRegistry::OpenForRead(const char* path, RegKey* key)
{
    std::string normalised = Normalise(path);
    if (normalised.empty() || !keys_.count(normalised))
        return 0;
    *key = NewHandle(normalised);
    return 1;
}

int MemoryRegistry::OpenForWrite(const char* path, RegKey* key)
{
    return OpenForRead(path, key);
}

int MemoryRegistry::Create(const char* path, RegKey* key)
{
    std::string normalised = Normalise(path);
    if (normalised.empty())
        return 0;
    MakeKey(normalised);
    *key = NewHandle(normalised);
    return 1;
}

MemoryRegistry::Key* MemoryRegistry::KeyOf(RegKey key)
{
    auto handle = handles_.find(key);
    if (handle == handles_.end())
        return nullptr;
    auto found = keys_.find(handle->second);
    return found == keys_.end() ? nullptr : &found->second;
}

MemoryRegistry::Value* MemoryRegistry::FindIn(Key* key, const std::string& name)
{
    std::string wanted = Lower(name);
    for (Value& value : key->values)
        if (Lower(value.name) == wanted)
            return &value;
    return nullptr;
}

int MemoryRegistry::QueryValue(RegKey key, const char* name, uint32_t* type, void* data,
                               uint32_t* size)
{
    Key* opened = KeyOf(key);
    Value* value = opened ? FindIn(opened, name) : nullptr;
    if (!value)
        return 0;
    uint32_t room = *size;
    *type = value->type;
    *size = static_cast<uint32_t>(value->data.size());
    if (!data)
        return 1;
    if (value->data.size() > room) {
        std::memset(data, 0xA5, room);
        return 0;
    }
    if (!value->data.empty())
        std::memcpy(data, value->data.data(), value->data.size());
    return 1;
}

void MemoryRegistry::Store(Key* key, const std::string& name, uint32_t type,
                           std::vector<uint8_t> data)
{
    Value* value = FindIn(key, name);
    if (!value) {
        key->values.push_back(Value());
        value = &key->values.back();
        value->name = name;
    }
    value->type = type;
    value->data = std::move(data);
}

int MemoryRegistry::SetDword(RegKey key, const char* name, uint32_t value)
{
    Key* opened = KeyOf(key);
    if (!opened)
        return 0;
    std::vector<uint8_t> data = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                 static_cast<uint8_t>(value >> 16),
                                 static_cast<uint8_t>(value >> 24)};
    Store(opened, name, kRegDword, std::move(data));
    return 1;
}

int MemoryRegistry::SetString(RegKey key, const char* name, const char* text)
{
    Key* opened = KeyOf(key);
    if (!opened)
        return 0;
    Store(opened, name, kRegSz, std::vector<uint8_t>(text, text + std::strlen(text) + 1));
    return 1;
}

int MemoryRegistry::DeleteValue(RegKey key, const char* name)
{
    Key* opened = KeyOf(key);
    Value* value = opened ? FindIn(opened, name) : nullptr;
    if (!value)
        return 0;
    opened->values.erase(opened->values.begin() + (value - opened->values.data()));
    return 1;
}

void MemoryRegistry::Close(RegKey key)
{
    handles_.erase(key);
}

bool MemoryRegistry::KeyExists(const std::string& path) const
{
    std::string normalised = Normalise(path);
    return !normalised.empty() && keys_.count(normalised) != 0;
}

void MemoryRegistry::Put(const std::string& path, const std::string& name, uint32_t type,
                         const std::vector<uint8_t>& data)
{
    std::string normalised = Normalise(path);
    if (!normalised.empty())
        Store(&MakeKey(normalised), name, type, data);
}

const MemoryRegistry::Value* MemoryRegistry::Find(const std::string& path,
                                                  const std::string& name) const
{
    auto key = keys_.find(Normalise(path));
    if (key == keys_.end())
        return nullptr;
    std::string wanted = Lower(name);
    for (const Value& value : key->second.values)
        if (Lower(value.name) == wanted)
            return &value;
    return nullptr;
}

std::vector<std::string> MemoryRegistry::ValueNames(const std::string& path) const
{
    std::vector<std::string> names;
    auto key = keys_.find(Normalise(path));
    if (key != keys_.end())
        for (const Value& value : key->second.values)
            names.push_back(value.name);
    return names;
}
