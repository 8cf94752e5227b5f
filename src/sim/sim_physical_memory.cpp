#include "sim/sim_physical_memory.h"

#include "sim/sim_chip.h"

void SimMappedChip::Map(const RegisterRange* ranges, int count, bool faults)
{
    count_ = count < kMaxRanges ? count : kMaxRanges;
    for (int i = 0; i < count_; ++i)
        ranges_[i] = ranges[i];
    faults_ = faults;
}

bool SimMappedChip::ChipOffset(uint32_t offset, uint32_t* chipOffset)
{
    for (int i = 0; i < count_ && !faults_; ++i) {
        const RegisterRange& range = ranges_[i];
        if (offset >= range.offset && offset - range.offset < range.length) {
            // Through the linear address, so that a piece mapped at the wrong
            // place reaches the wrong registers, as it would on the machine.
            *chipOffset = range.linearAddress - kSimDpmiArena + (offset - range.offset);
            return true;
        }
    }
    if (trace_)
        trace_->Add(SimEvent::UnmappedAccess, offset, 0);
    return false;
}

uint32_t SimMappedChip::Read32(uint32_t offset)
{
    uint32_t chipOffset;
    return ChipOffset(offset, &chipOffset) ? chip_->Read32(chipOffset) : 0xFFFFFFFFu;
}

void SimMappedChip::Write32(uint32_t offset, uint32_t value)
{
    uint32_t chipOffset;
    if (ChipOffset(offset, &chipOffset))
        chip_->Write32(chipOffset, value);
}

uint8_t SimMappedChip::Read8(uint32_t offset)
{
    uint32_t chipOffset;
    return ChipOffset(offset, &chipOffset) ? chip_->Read8(chipOffset) : 0xFF;
}

int SimMappedChip::GuardedRead32(uint32_t offset, uint32_t* value)
{
    uint32_t chipOffset;
    if (!ChipOffset(offset, &chipOffset))
        return 0;
    *value = chip_->Read32(chipOffset);
    return 1;
}

int SimPhysicalMemory::Map(uint32_t physicalAddress, uint32_t length, uint32_t* linearAddress)
{
    if (mapCount_ < kKeptRequests) {
        requests_[mapCount_][0] = physicalAddress;
        requests_[mapCount_][1] = length;
    }
    ++mapCount_;
    if (trace_)
        trace_->Add(SimEvent::PhysicalMap, physicalAddress, length);
    switch (mode_) {
    case SimDpmiMode::Ok:
        // The aperture is 16 MiB aligned: the low 24 bits are the register offset.
        *linearAddress = kSimDpmiArena + (physicalAddress & (kRegisterWindowBytes - 1));
        return 1;
    case SimDpmiMode::Fault:
        // Wine's answer: the high word of the physical address and 7.
        *linearAddress = (physicalAddress & 0xFFFF0000u) | 7u;
        return 1;
    default:
        return 0;
    }
}

RegisterWindow* SimPhysicalMemory::WindowOver(const RegisterRange* ranges, int count)
{
    window_.Map(ranges, count, mode_ == SimDpmiMode::Fault);
    return &window_;
}
