#pragma once
// The chip's 16 MiB register aperture as mapped into the process, addressed
// by byte offset. PLL words are 32-bit; the memory configuration is read as
// a single byte.
#include <stdint.h>

class RegisterWindow {
public:
    virtual uint32_t Read32(uint32_t offset) = 0;
    virtual void Write32(uint32_t offset, uint32_t value) = 0;
    virtual uint8_t Read8(uint32_t offset) = 0;
    // A read that survives a mapping that leads nowhere: 1 and *value, or 0
    // when the access faulted. Made once, before the first real access.
    virtual int GuardedRead32(uint32_t offset, uint32_t* value) = 0;

protected:
    ~RegisterWindow() = default;
};

// A window over plain memory that never faults: what velkor-sim.exe's
// shared file mapping and the tests' own views of it are.
class MemoryRegisterWindow final : public RegisterWindow {
public:
    explicit MemoryRegisterWindow(volatile uint8_t* base = nullptr) : base_(base) {}
    void SetBase(volatile uint8_t* base) { base_ = base; }
    volatile uint8_t* Base() const { return base_; }

    uint32_t Read32(uint32_t offset) override
    {
        return *reinterpret_cast<volatile uint32_t*>(base_ + (offset & ~3u));
    }
    void Write32(uint32_t offset, uint32_t value) override
    {
        *reinterpret_cast<volatile uint32_t*>(base_ + (offset & ~3u)) = value;
    }
    uint8_t Read8(uint32_t offset) override { return base_[offset]; }
    int GuardedRead32(uint32_t offset, uint32_t* value) override
    {
        *value = Read32(offset);
        return 1;
    }

private:
    volatile uint8_t* base_;
};

const uint32_t kRegisterWindowBytes = 0x01000000;  // 16 MiB

// One piece of the aperture mapped on its own: register offsets
// [offset, offset + length) at a linear address of this process.
struct RegisterRange {
    uint32_t offset;
    uint32_t length;
    uint32_t linearAddress;
};

// Register pieces mapped when VELKOR.VXD is missing: identification,
// memory configuration with the strap, and the PLL page.
const int kMappedRangeCount = 3;
