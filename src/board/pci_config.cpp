#include "board/pci_config.h"

#include "app_state.h"

namespace {

const uint32_t kConfigEnable = 0x80000000u;  // mechanism #1: bit 31 of CONFIG_ADDRESS
const uint8_t kProbeKey = 0xF0;              // mechanism #2: key 0xF, function 0
const uint8_t kReadKey = 0x80;               // mechanism #2: key 0x8, function 0
const uint8_t kConfigSpaceDisabled = 0x00;
const int kMechanism2Slots = 16;

// Bits 2-7 of an offset choose the double word; the rest wraps inside the header.
uint32_t DwordOffset(uint32_t offset)
{
    return offset & 0xFCu;
}

uint32_t Mechanism1Address(int32_t slot, uint32_t offset)
{
    return kConfigEnable | (static_cast<uint32_t>(slot) << 11) | DwordOffset(offset);
}

uint16_t Mechanism2Port(int32_t slot, uint32_t offset)
{
    return static_cast<uint16_t>(kPciConfigSpaceBase + static_cast<uint32_t>(slot) * 0x100u + DwordOffset(offset));
}

bool VendorAnswers(uint32_t firstDword)
{
    return (firstDword & 0xFFFFu) != 0xFFFFu;
}

}  // namespace

int InitPciAccess()
{
    PciAccessState& pci = gApp.pci;
    if (pci.initialised)
        return 1;

    pci.mechanism = kPciMechanism1;
    bool found = false;

    SystemInfo* system = gApp.platform.system;
    PortIo* ports = gApp.platform.ports;
    if (!system || !ports)
        return 0;
    uint32_t platformId = system->GetPlatformId();
    if (platformId != kPlatformWin32Windows && platformId != kPlatformWin32Nt)
        return 0;

    // Mechanism #1 counts as present exactly when some slot answers: a bridge
    // of mechanism #2 ignores the double-word address and reads as all ones.
    for (int32_t slot = 0; slot < kPciSlots; ++slot) {
        ports->OutDword(kPciConfigAddressPort, Mechanism1Address(slot, 0));
        if (VendorAnswers(ports->InDword(kPciConfigDataPort))) {
            pci.present[slot] = 1;
            pci.mechanism = kPciMechanism1;
            found = true;
        } else {
            pci.present[slot] = 0;
        }
    }

    if (!found) {
        ports->OutByte(kPciConfigAddressPort, kProbeKey);
        ports->OutByte(kPciForwardPort, 0x00);
        for (int32_t slot = 0; slot < kMechanism2Slots; ++slot) {
            if (VendorAnswers(ports->InDword(Mechanism2Port(slot, 0)))) {
                pci.present[slot] = 1;
                pci.mechanism = kPciMechanism2;
                found = true;
            } else {
                pci.present[slot] = 0;
            }
        }
        ports->OutByte(kPciConfigAddressPort, kConfigSpaceDisabled);
        if (!found)
            return 0;
    }

    pci.initialised = 1;
    return 1;
}

int ReadPciConfig(int32_t slot, PciRegister reg, uint32_t* value)
{
    const PciAccessState& pci = gApp.pci;
    // Slot 0 (bus 0, device 0: the host bridge of a PC) is never read.
    if (!pci.initialised || slot < 1 || slot >= kPciSlots || !value)
        return 0;

    if (reg.offset == 0 && reg.size == 0) {
        *value = pci.present[slot] ? 1 : 0;
        return static_cast<int>(*value);
    }
    if (!pci.present[slot])
        return 0;

    PortIo* ports = gApp.platform.ports;
    if (!ports)
        return 0;
    uint32_t dword;
    if (pci.mechanism == kPciMechanism2) {
        ports->OutByte(kPciConfigAddressPort, kReadKey);
        dword = ports->InDword(Mechanism2Port(slot, reg.offset));
        ports->OutByte(kPciConfigAddressPort, kConfigSpaceDisabled);
    } else {
        ports->OutDword(kPciConfigAddressPort, Mechanism1Address(slot, reg.offset));
        dword = ports->InDword(kPciConfigDataPort);
    }

    // A register never reaches into the next double word: the logical shift
    // fills its missing high bytes with zeros.
    dword >>= (reg.offset & 3u) * 8;
    switch (reg.size) {
    case 1:
        dword &= 0xFFu;
        break;
    case 2:
        dword &= 0xFFFFu;
        break;
    case 3:
        dword &= 0xFFFFFFu;
        break;
    default:
        break;
    }
    *value = dword;
    return 1;
}
