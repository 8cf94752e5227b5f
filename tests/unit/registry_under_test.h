#pragma once
// The registry the settings and boot-store tests run against, whichever it
// is: the in-memory one in the native unit tests, HKEY_LOCAL_MACHINE of a
// throwaway Wine prefix in the cross-built test program. The test bodies are
// the same; only MakeRegistryUnderTest() differs between the two programs.
#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

// Keys the tests write besides the utility's fixed ones.
const char kTestKeyRoot[] = "SOFTWARE\\Velkor Test";

struct StoredValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

class RegistryUnderTest {
public:
    virtual ~RegistryUnderTest() = default;

    // The seam the code under test uses.
    virtual Registry* Seam() = 0;
    // Removes every key and value the tests and the utility write, so each
    // test starts from a machine that never ran the utility.
    virtual void Wipe() = 0;

    // Test side, by path under HKEY_LOCAL_MACHINE; Put creates the key.
    virtual void Put(const std::string& path, const std::string& name, uint32_t type,
                     const std::vector<uint8_t>& data) = 0;
    virtual bool Get(const std::string& path, const std::string& name, StoredValue* value) = 0;
    virtual bool KeyExists(const std::string& path) = 0;
    // Names as stored, in no particular order.
    virtual std::vector<std::string> ValueNames(const std::string& path) = 0;
};

std::unique_ptr<RegistryUnderTest> MakeRegistryUnderTest();
