#pragma once
// PCI configuration space, read through the x86 ports of configuration
// mechanism #1 or #2. Read only; function 0 of each device only.
//
// A slot names a device: under mechanism #1 slot = bus * 32 + device (buses
// 0 to 15), under mechanism #2 slot = device number on bus 0 (0 to 15).
#include <stdint.h>

enum PciAccess : uint32_t { ReadOnly = 0, ReadWrite = 2 };

enum PciMechanism : uint32_t { kPciMechanism1 = 1, kPciMechanism2 = 2 };

struct PciRegister {
    uint32_t offset;  // byte offset in the 256-byte header; bits above 7 are ignored
    uint32_t size;    // 1 to 4; offset 0 with size 0 is the presence query
    uint32_t access;  // PciAccess; travels with the descriptor, never consulted
};

// The registers of the type-0 header that have a descriptor, in header order.
inline constexpr PciRegister kPciDevicePresent = {0x00, 0, ReadOnly};
inline constexpr PciRegister kPciVendorId = {0x00, 2, ReadOnly};
inline constexpr PciRegister kPciDeviceId = {0x02, 2, ReadOnly};
inline constexpr PciRegister kPciCommand = {0x04, 2, ReadWrite};
inline constexpr PciRegister kPciStatus = {0x06, 2, ReadWrite};
inline constexpr PciRegister kPciRevisionId = {0x08, 1, ReadOnly};
inline constexpr PciRegister kPciClassCode = {0x09, 3, ReadOnly};
inline constexpr PciRegister kPciCacheLineSize = {0x0C, 1, ReadWrite};
inline constexpr PciRegister kPciLatencyTimer = {0x0D, 1, ReadWrite};
inline constexpr PciRegister kPciHeaderType = {0x0E, 1, ReadOnly};
inline constexpr PciRegister kPciBist = {0x0F, 1, ReadWrite};
inline constexpr PciRegister kPciBaseAddress0 = {0x10, 4, ReadWrite};
inline constexpr PciRegister kPciBaseAddress1 = {0x14, 4, ReadWrite};
inline constexpr PciRegister kPciBaseAddress2 = {0x18, 4, ReadWrite};
inline constexpr PciRegister kPciBaseAddress3 = {0x1C, 4, ReadWrite};
inline constexpr PciRegister kPciBaseAddress4 = {0x20, 4, ReadWrite};
inline constexpr PciRegister kPciBaseAddress5 = {0x24, 4, ReadWrite};
inline constexpr PciRegister kPciSubsystemVendorId = {0x2C, 2, ReadOnly};
inline constexpr PciRegister kPciSubsystemId = {0x2E, 2, ReadOnly};
inline constexpr PciRegister kPciInterruptLine = {0x3C, 1, ReadWrite};
inline constexpr PciRegister kPciInterruptPin = {0x3D, 1, ReadOnly};
inline constexpr PciRegister kPciMinimumGrant = {0x3E, 1, ReadOnly};
inline constexpr PciRegister kPciMaximumLatency = {0x3F, 1, ReadOnly};

inline constexpr PciRegister kPciHeaderRegisters[] = {
    kPciDevicePresent, kPciVendorId,       kPciDeviceId,          kPciCommand,       kPciStatus,
    kPciRevisionId,    kPciClassCode,      kPciCacheLineSize,     kPciLatencyTimer,  kPciHeaderType,
    kPciBist,          kPciBaseAddress0,   kPciBaseAddress1,      kPciBaseAddress2,  kPciBaseAddress3,
    kPciBaseAddress4,  kPciBaseAddress5,   kPciSubsystemVendorId, kPciSubsystemId,   kPciInterruptLine,
    kPciInterruptPin,  kPciMinimumGrant,   kPciMaximumLatency,
};
const int kPciHeaderRegisterCount = sizeof(kPciHeaderRegisters) / sizeof(kPciHeaderRegisters[0]);

// The configuration ports.
const uint16_t kPciConfigAddressPort = 0xCF8;  // mechanism #1 CONFIG_ADDRESS, mechanism #2 enable register
const uint16_t kPciConfigDataPort = 0xCFC;     // mechanism #1 CONFIG_DATA
const uint16_t kPciForwardPort = 0xCFA;        // mechanism #2 forward (bus number) register
const uint16_t kPciConfigSpaceBase = 0xC000;   // mechanism #2: device d answers at 0xC000 + d * 0x100

// Finds the mechanism the host bridge answers to and which slots hold a
// device. 1 when ready; after the first success it returns 1 at once.
int InitPciAccess();
// One register of a slot, right-aligned in *value; 1 on success. With the
// presence query it answers whether the slot holds a device (*value 1 or 0).
int ReadPciConfig(int32_t slot, PciRegister reg, uint32_t* value);
