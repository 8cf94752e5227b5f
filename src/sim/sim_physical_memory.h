#pragma once
// The DPMI way to the chip as the simulated PC has it: it maps the simulated
// chip, reports failure, or (as Wine does) claims success with an address
// that faults. Map requests are traced and the first few kept; every access
// the window cannot carry to the chip is traced as an unmapped access.
#include <stdint.h>

#include "platform/physical_memory.h"
#include "sim/sim_trace.h"

class SimChip;

enum class SimDpmiMode : uint8_t {
    Ok,     // maps the chip
    Fail,   // carry set: no mapping (the NT line, Wine, a refusing VWIN32)
    Fault,  // success with an address where any access faults
};

// Where the simulated mappings lie: register offset o of the chip is at
// kSimDpmiArena + o.
const uint32_t kSimDpmiArena = 0x83000000u;

// The chip through the mapped pieces only.
class SimMappedChip final : public RegisterWindow {
public:
    SimMappedChip(SimTrace* trace, SimChip* chip) : trace_(trace), chip_(chip) {}
    void Map(const RegisterRange* ranges, int count, bool faults);

    uint32_t Read32(uint32_t offset) override;
    void Write32(uint32_t offset, uint32_t value) override;
    uint8_t Read8(uint32_t offset) override;
    int GuardedRead32(uint32_t offset, uint32_t* value) override;

private:
    static const int kMaxRanges = 4;
    // The chip's offset behind a window offset, or false (traced) when no
    // piece carries it.
    bool ChipOffset(uint32_t offset, uint32_t* chipOffset);

    SimTrace* trace_;
    SimChip* chip_;
    RegisterRange ranges_[kMaxRanges] = {};
    int count_ = 0;
    bool faults_ = false;
};

class SimPhysicalMemory final : public PhysicalMemory {
public:
    SimPhysicalMemory(SimTrace* trace, SimChip* chip) : trace_(trace), window_(trace, chip) {}

    void SetMode(SimDpmiMode mode) { mode_ = mode; }
    SimDpmiMode Mode() const { return mode_; }

    int Map(uint32_t physicalAddress, uint32_t length, uint32_t* linearAddress) override;
    RegisterWindow* WindowOver(const RegisterRange* ranges, int count) override;

    static const int kKeptRequests = 4;
    int MapCount() const { return mapCount_; }
    // The i-th map request of the run (i < kKeptRequests): {physical, length}.
    uint32_t RequestedAddress(int i) const { return requests_[i][0]; }
    uint32_t RequestedLength(int i) const { return requests_[i][1]; }

private:
    SimTrace* trace_;
    SimMappedChip window_;
    SimDpmiMode mode_ = SimDpmiMode::Fail;
    int mapCount_ = 0;
    uint32_t requests_[kKeptRequests][2] = {};
};
