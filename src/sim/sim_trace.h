#pragma once
// What the simulated PC saw, in order: port and register accesses, pauses,
// driver calls and display resets. Tests read it to check exact sequences.
// Fixed capacity, no allocation: it is linked into velkor-sim.exe too.
#include <stdint.h>

enum class SimEvent : uint8_t {
    PortOutDword,
    PortOutByte,
    PortInDword,
    PortInByte,
    RegisterRead32,
    RegisterWrite32,
    RegisterRead8,
    Sleep,
    DisplayReset,
    DriverOpen,
    DriverMap,
    DriverClose,
    VersionQuery,
    FileVersionQuery,
    DriverKeyEscape,
    PhysicalMap,     // a DPMI mapping asked for: physical address, length
    UnmappedAccess,  // a register access no mapped piece carries (or that faults)
};

struct SimTraceEntry {
    SimEvent event;
    uint32_t address;  // port, register offset, or 0
    uint32_t value;    // data written or read, milliseconds slept, ...
};

class SimTrace {
public:
    static const int kCapacity = 8192;

    void Add(SimEvent event, uint32_t address, uint32_t value)
    {
        if (count_ < kCapacity)
            entries_[count_++] = SimTraceEntry{event, address, value};
        else
            overflowed_ = true;
    }
    void Clear()
    {
        count_ = 0;
        overflowed_ = false;
    }
    int Count() const { return count_; }
    bool Overflowed() const { return overflowed_; }
    const SimTraceEntry& At(int i) const { return entries_[i]; }
    int CountOf(SimEvent event) const
    {
        int n = 0;
        for (int i = 0; i < count_; ++i)
            n += entries_[i].event == event;
        return n;
    }

private:
    SimTraceEntry entries_[kCapacity];
    int count_ = 0;
    bool overflowed_ = false;
};
