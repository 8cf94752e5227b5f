// The native unit tests run the shared registry tests against MemoryRegistry.
#include "memory_registry.h"
#include "registry_under_test.h"

namespace {

class MemoryRegistryUnderTest final : public RegistryUnderTest {
public:
    Registry* Seam() override { return &registry_; }
    void Wipe() override { registry_.Clear(); }

    void Put(const std::string& path, const std::string& name, uint32_t type,
             const std::vector<uint8_t>& data) override
    {
        registry_.Put(path, name, type, data);
    }
    bool Get(const std::string& path, const std::string& name, StoredValue* value) override
    {
        const MemoryRegistry::Value* found = registry_.Find(path, name);
        if (!found)
            return false;
        value->type = found->type;
        value->data = found->data;
        return true;
    }
    bool KeyExists(const std::string& path) override { return registry_.KeyExists(path); }
    std::vector<std::string> ValueNames(const std::string& path) override
    {
        return registry_.ValueNames(path);
    }

private:
    MemoryRegistry registry_;
};

}  // namespace

std::unique_ptr<RegistryUnderTest> MakeRegistryUnderTest()
{
    return std::unique_ptr<RegistryUnderTest>(new MemoryRegistryUnderTest);
}
