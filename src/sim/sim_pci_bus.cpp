#include "sim/sim_pci_bus.h"

namespace {

const uint16_t kAddressPort = 0xCF8;
const uint16_t kForwardPort = 0xCFA;
const uint16_t kDataPort = 0xCFC;
const uint16_t kSpaceFirst = 0xC000;
const uint16_t kSpaceLast = 0xCFFF;
const uint32_t kAllOnes = 0xFFFFFFFFu;

}  // namespace

void SimPciBus::SetMechanism(uint32_t mechanism)
{
    mechanism_ = mechanism == 2 ? 2 : 1;
    configAddress_ = 0;
    enable_ = 0;
    forward_ = 0;
}

int SimPciBus::AddDevice(uint32_t bus, uint32_t device, uint16_t vendorId, uint16_t deviceId, uint32_t bar0,
                         uint32_t classCode)
{
    if (count_ >= kMaxDevices || bus > 255 || device > 31)
        return -1;
    for (int i = 0; i < count_; ++i) {
        if (devices_[i].bus == bus && devices_[i].device == device)
            return -1;
    }

    Device& d = devices_[count_];
    d.bus = bus;
    d.device = device;
    for (uint32_t& dword : d.config)
        dword = 0;

    const bool bridge = classCode == kPciClassPciBridge;
    const bool display = (classCode >> 16) == 0x03;
    d.config[0x00 / 4] = static_cast<uint32_t>(deviceId) << 16 | vendorId;
    // Command: I/O, memory and bus master on; status: capability list, 66 MHz,
    // fast back-to-back, medium DEVSEL timing.
    d.config[0x04 / 4] = 0x02B00000u | 0x0007u;
    d.config[0x08 / 4] = (classCode & 0xFFFFFFu) << 8 | 0x15u;  // revision 0x15
    // Cache line 8 double words, latency timer 0x40 (0x20 on bridges),
    // header type 0 (1 for a PCI-to-PCI bridge), no BIST.
    d.config[0x0C / 4] = (bridge ? 0x00012000u : 0x00004000u) | 0x08u;
    d.config[0x10 / 4] = bar0;
    if (bridge) {
        // Primary bus 0, secondary and subordinate bus 1, secondary latency 0x20.
        d.config[0x18 / 4] = 0x20010100u;
        return count_++;
    }
    if (display) {
        d.config[0x14 / 4] = (bar0 & 0xF0000000u) + 0x08000008u;  // prefetchable frame buffer
        d.config[0x2C / 4] = static_cast<uint32_t>(deviceId) << 16 | vendorId;
        d.config[0x3C / 4] = 0x0105010Bu;  // max latency 1, min grant 5, pin INTA#, line 11
    }
    return count_++;
}

uint32_t SimPciBus::ConfigDword(int index, uint32_t offset) const
{
    if (index < 0 || index >= count_)
        return kAllOnes;
    return devices_[index].config[(offset & 0xFCu) / 4];
}

void SimPciBus::SetConfigDword(int index, uint32_t offset, uint32_t value)
{
    if (index >= 0 && index < count_)
        devices_[index].config[(offset & 0xFCu) / 4] = value;
}

uint32_t SimPciBus::ConfigRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset) const
{
    if (function != 0)
        return kAllOnes;
    for (int i = 0; i < count_; ++i) {
        if (devices_[i].bus == bus && devices_[i].device == device)
            return devices_[i].config[(offset & 0xFCu) / 4];
    }
    return kAllOnes;  // master abort
}

uint32_t SimPciBus::DecodeInDword(uint16_t port) const
{
    if (mechanism_ == 1) {
        if (port == kAddressPort)
            return configAddress_;
        if (port == kDataPort && (configAddress_ & 0x80000000u)) {
            return ConfigRead((configAddress_ >> 16) & 0xFFu, (configAddress_ >> 11) & 0x1Fu,
                              (configAddress_ >> 8) & 0x7u, configAddress_ & 0xFCu);
        }
        return kAllOnes;
    }
    // Mechanism #2 maps configuration space into 0xC000-0xCFFF only while the
    // enable register holds a key (bits 4-7); bits 1-3 choose the function.
    if (port >= kSpaceFirst && port <= kSpaceLast && (enable_ & 0xF0u)) {
        uint32_t device = (port >> 8) & 0x0Fu;
        return ConfigRead(forward_, device, (enable_ >> 1) & 0x7u, port & 0xFCu);
    }
    return kAllOnes;
}

uint8_t SimPciBus::DecodeInByte(uint16_t port) const
{
    if (mechanism_ == 2) {
        if (port == kAddressPort)
            return enable_;
        if (port == kForwardPort)
            return forward_;
    }
    if (mechanism_ == 1 && port >= kAddressPort && port <= kAddressPort + 3)
        return static_cast<uint8_t>(configAddress_ >> ((port - kAddressPort) * 8));
    uint32_t dword = DecodeInDword(static_cast<uint16_t>(port & ~3u));
    return static_cast<uint8_t>(dword >> ((port & 3u) * 8));
}

uint32_t SimPciBus::InDword(uint16_t port)
{
    uint32_t value = DecodeInDword(port);
    Trace(SimEvent::PortInDword, port, value);
    return value;
}

uint8_t SimPciBus::InByte(uint16_t port)
{
    uint8_t value = DecodeInByte(port);
    Trace(SimEvent::PortInByte, port, value);
    return value;
}

void SimPciBus::OutDword(uint16_t port, uint32_t value)
{
    // Only a double-word write reaches CONFIG_ADDRESS; a mechanism #2 bridge
    // does not decode it at all.
    if (mechanism_ == 1 && port == kAddressPort)
        configAddress_ = value & 0x80FFFFFCu;
    Trace(SimEvent::PortOutDword, port, value);
}

void SimPciBus::OutByte(uint16_t port, uint8_t value)
{
    if (mechanism_ == 2) {
        if (port == kAddressPort)
            enable_ = value;
        else if (port == kForwardPort)
            forward_ = value;
    }
    Trace(SimEvent::PortOutByte, port, value);
}

void SimPciBus::Trace(SimEvent event, uint16_t port, uint32_t value)
{
    if (trace_)
        trace_->Add(event, port, value);
}
