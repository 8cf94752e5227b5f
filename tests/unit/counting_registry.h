#pragma once
// Passes every call to another registry and keeps count of open keys and a
// log of how keys were opened, so a test can see that nothing leaks and that
// a key meant only to be read or written was never created.
#include <string>
#include <vector>

#include "platform/registry.h"

class CountingRegistry final : public Registry {
public:
    void Attach(Registry* inner)
    {
        inner_ = inner;
        openKeys_ = 0;
        opens_.clear();
    }

    int OpenForRead(const char* path, RegKey* key) override
    {
        return Track("read ", path, inner_->OpenForRead(path, key));
    }
    int OpenForWrite(const char* path, RegKey* key) override
    {
        return Track("write ", path, inner_->OpenForWrite(path, key));
    }
    int Create(const char* path, RegKey* key) override
    {
        return Track("create ", path, inner_->Create(path, key));
    }
    int QueryValue(RegKey key, const char* name, uint32_t* type, void* data, uint32_t* size) override
    {
        return inner_->QueryValue(key, name, type, data, size);
    }
    int SetDword(RegKey key, const char* name, uint32_t value) override
    {
        return inner_->SetDword(key, name, value);
    }
    int SetString(RegKey key, const char* name, const char* text) override
    {
        return inner_->SetString(key, name, text);
    }
    int DeleteValue(RegKey key, const char* name) override { return inner_->DeleteValue(key, name); }
    void Close(RegKey key) override
    {
        --openKeys_;
        inner_->Close(key);
    }

    int OpenKeys() const { return openKeys_; }
    // "read PATH", "write PATH", "create PATH", in call order, failed opens too.
    const std::vector<std::string>& Opens() const { return opens_; }

private:
    int Track(const char* how, const char* path, int opened)
    {
        opens_.push_back(how + std::string(path));
        if (opened)
            ++openKeys_;
        return opened;
    }

    Registry* inner_ = nullptr;
    int openKeys_ = 0;
    std::vector<std::string> opens_;
};
