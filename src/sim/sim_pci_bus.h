#pragma once
// The PC's host bridge as the configuration ports see it: configuration
// mechanism #1 (CONFIG_ADDRESS 0xCF8, CONFIG_DATA 0xCFC) or mechanism #2
// (enable register 0xCF8, forward register 0xCFA, device d of the forwarded
// bus at ports 0xC000 + d * 0x100), never both. Devices answer for function 0
// only; absent devices and ports that nothing decodes read as all ones.
// Every port access is traced.
#include <stdint.h>

#include "platform/ports.h"
#include "sim/sim_trace.h"

const uint32_t kPciClassDisplayVga = 0x030000;
const uint32_t kPciClassHostBridge = 0x060000;
const uint32_t kPciClassPciBridge = 0x060400;

class SimPciBus final : public PortIo {
public:
    static constexpr int kMaxDevices = 8;

    explicit SimPciBus(SimTrace* trace) : trace_(trace) {}

    // 1 or 2; anything else is taken as 1. Resets the bridge's registers.
    void SetMechanism(uint32_t mechanism);
    uint32_t Mechanism() const { return mechanism_; }

    // A device with a plausible type-0 header for its class: command and
    // status, revision, cache line, latency, BAR0 as given, subsystem IDs,
    // interrupt pin and line. A class of kPciClassPciBridge gets a type-1
    // header leading to bus 1. Returns the device's index, or -1 when the
    // bus is full or the slot is taken (bus 0-255, device 0-31).
    int AddDevice(uint32_t bus, uint32_t device, uint16_t vendorId, uint16_t deviceId, uint32_t bar0,
                  uint32_t classCode = kPciClassDisplayVga);
    void RemoveAllDevices() { count_ = 0; }
    int DeviceCount() const { return count_; }

    // Direct access to a device's header, for tests that need odd contents.
    uint32_t ConfigDword(int index, uint32_t offset) const;
    void SetConfigDword(int index, uint32_t offset, uint32_t value);

    uint32_t InDword(uint16_t port) override;
    uint8_t InByte(uint16_t port) override;
    void OutDword(uint16_t port, uint32_t value) override;
    void OutByte(uint16_t port, uint8_t value) override;

private:
    struct Device {
        uint32_t bus;
        uint32_t device;
        uint32_t config[64];  // the 256-byte configuration header
    };

    // The double word a configuration read of (bus, device, function, offset) returns.
    uint32_t ConfigRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset) const;
    uint32_t DecodeInDword(uint16_t port) const;
    uint8_t DecodeInByte(uint16_t port) const;
    void Trace(SimEvent event, uint16_t port, uint32_t value);

    SimTrace* trace_;
    uint32_t mechanism_ = 1;
    uint32_t configAddress_ = 0;  // mechanism #1 CONFIG_ADDRESS
    uint8_t enable_ = 0;          // mechanism #2 configuration space enable
    uint8_t forward_ = 0;         // mechanism #2 forward register
    Device devices_[kMaxDevices];
    int count_ = 0;
};
