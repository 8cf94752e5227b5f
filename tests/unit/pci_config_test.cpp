#include <gtest/gtest.h>

#include <vector>

#include "board/pci_config.h"
#include "sim_fixture.h"

namespace {

struct PortAccess {
    SimEvent event;
    uint32_t port;
    uint32_t value;
    bool operator==(const PortAccess& o) const { return event == o.event && port == o.port && value == o.value; }
};

std::ostream& operator<<(std::ostream& out, const PortAccess& a)
{
    return out << "{" << static_cast<int>(a.event) << ", 0x" << std::hex << a.port << ", 0x" << a.value << std::dec
               << "}";
}

bool IsPortEvent(SimEvent event)
{
    return event == SimEvent::PortOutDword || event == SimEvent::PortOutByte || event == SimEvent::PortInDword ||
           event == SimEvent::PortInByte;
}

std::vector<PortAccess> PortAccesses(const SimTrace& trace, int from = 0)
{
    std::vector<PortAccess> accesses;
    for (int i = from; i < trace.Count(); ++i) {
        const SimTraceEntry& e = trace.At(i);
        if (IsPortEvent(e.event))
            accesses.push_back({e.event, e.address, e.value});
    }
    return accesses;
}

PortAccess OutDword(uint32_t port, uint32_t value) { return {SimEvent::PortOutDword, port, value}; }
PortAccess OutByte(uint32_t port, uint32_t value) { return {SimEvent::PortOutByte, port, value}; }
PortAccess InDword(uint32_t port, uint32_t value) { return {SimEvent::PortInDword, port, value}; }

class PciConfigTest : public SimPcTest {};

TEST_F(PciConfigTest, Mechanism1ProbesEverySlotAndNeverTouchesMechanism2Ports)
{
    ASSERT_EQ(1, InitPciAccess());

    std::vector<PortAccess> seen = PortAccesses(pc->trace);
    ASSERT_EQ(1024u, seen.size());
    for (uint32_t slot = 0; slot < 512; ++slot) {
        EXPECT_EQ(OutDword(0xCF8, 0x80000000u | slot << 11), seen[2 * slot]) << "slot " << slot;
        EXPECT_EQ(SimEvent::PortInDword, seen[2 * slot + 1].event);
        EXPECT_EQ(0xCFCu, seen[2 * slot + 1].port);
    }
    EXPECT_EQ(0, pc->trace.CountOf(SimEvent::PortOutByte));  // 0xCF8/0xCFA never written as bytes

    EXPECT_EQ(1u, gApp.pci.mechanism);
    std::vector<int> present;
    for (int slot = 0; slot < kPciSlots; ++slot) {
        if (gApp.pci.present[slot])
            present.push_back(slot);
    }
    // Host bridge 0:0, AGP bridge 0:1, the TNT2 at 1:0.
    EXPECT_EQ((std::vector<int>{0, 1, 32}), present);
}

TEST_F(PciConfigTest, Mechanism2IsProbedOnlyWhenMechanism1FindsNothing)
{
    Configure("mech=2 slot=0:5");
    ASSERT_EQ(1, InitPciAccess());

    std::vector<PortAccess> seen = PortAccesses(pc->trace);
    ASSERT_EQ(1024u + 2 + 16 + 1, seen.size());
    for (uint32_t slot = 0; slot < 512; ++slot)
        EXPECT_EQ(0xFFFFFFFFu, seen[2 * slot + 1].value) << "mechanism #1 answered at slot " << slot;
    std::vector<PortAccess> tail(seen.begin() + 1024, seen.end());
    std::vector<PortAccess> expected = {OutByte(0xCF8, 0xF0), OutByte(0xCFA, 0x00)};
    for (uint32_t device = 0; device < 16; ++device) {
        uint32_t answer = device == 0 ? 0x71908086u : device == 1 ? 0x71918086u : device == 5 ? 0x002810DEu
                                                                                               : 0xFFFFFFFFu;
        expected.push_back(InDword(0xC000 + device * 0x100, answer));
    }
    expected.push_back(OutByte(0xCF8, 0x00));
    EXPECT_EQ(expected, tail);

    EXPECT_EQ(2u, gApp.pci.mechanism);
    EXPECT_EQ(1, gApp.pci.present[0]);
    EXPECT_EQ(1, gApp.pci.present[1]);
    EXPECT_EQ(1, gApp.pci.present[5]);
    for (int slot = 16; slot < kPciSlots; ++slot)
        ASSERT_EQ(0, gApp.pci.present[slot]) << slot;
}

TEST_F(PciConfigTest, ReadsUseTheSequenceOfTheirMechanism)
{
    ASSERT_EQ(1, InitPciAccess());
    int mark = pc->trace.Count();
    uint32_t value = 0;
    ASSERT_EQ(1, ReadPciConfig(32, kPciDeviceId, &value));
    EXPECT_EQ(0x0028u, value);
    EXPECT_EQ((std::vector<PortAccess>{OutDword(0xCF8, 0x80010000u), InDword(0xCFC, 0x002810DEu)}),
              PortAccesses(pc->trace, mark));

    Configure("mech=2 slot=0:5");
    FreshApp();
    ASSERT_EQ(1, InitPciAccess());
    mark = pc->trace.Count();
    ASSERT_EQ(1, ReadPciConfig(5, kPciBaseAddress0, &value));
    EXPECT_EQ(0xE6000000u, value);
    // Key 0x80 for the read, configuration space disabled after it; the
    // forward register keeps the bus 0 of the probe.
    EXPECT_EQ((std::vector<PortAccess>{OutByte(0xCF8, 0x80), InDword(0xC510, 0xE6000000u), OutByte(0xCF8, 0x00)}),
              PortAccesses(pc->trace, mark));
}

TEST_F(PciConfigTest, SecondInitialisationTouchesNothing)
{
    ASSERT_EQ(1, InitPciAccess());
    pc->trace.Clear();
    EXPECT_EQ(1, InitPciAccess());
    EXPECT_EQ(0, pc->trace.Count());  // neither ports nor a version query
}

TEST_F(PciConfigTest, OnlyThe9xAndNtPlatformIdsAreProbed)
{
    struct Case {
        uint32_t platformId;
        int result;
    };
    for (Case c : {Case{0, 0}, Case{1, 1}, Case{2, 1}, Case{3, 0}}) {
        FreshApp();
        pc->system.SetPlatformId(c.platformId);
        pc->trace.Clear();
        EXPECT_EQ(c.result, InitPciAccess()) << "platform id " << c.platformId;
        if (!c.result) {
            EXPECT_EQ(0u, PortAccesses(pc->trace).size());
            uint32_t value = 0x5A5A5A5A;
            EXPECT_EQ(0, ReadPciConfig(32, kPciVendorId, &value));
            EXPECT_EQ(0, ReadPciConfig(32, kPciDevicePresent, &value));
            EXPECT_EQ(0x5A5A5A5Au, value);
        }
    }
}

TEST_F(PciConfigTest, FailedInitialisationIsRetriedInFull)
{
    pc->bus.RemoveAllDevices();
    EXPECT_EQ(0, InitPciAccess());
    EXPECT_EQ(0, gApp.pci.initialised);
    // Both probes ran, and mechanism #2 switched configuration space off again.
    std::vector<PortAccess> seen = PortAccesses(pc->trace);
    ASSERT_EQ(1024u + 19, seen.size());
    EXPECT_EQ(OutByte(0xCF8, 0x00), seen.back());

    pc->bus.AddDevice(1, 0, 0x10DE, 0x0028, 0xE6000000u);
    pc->trace.Clear();
    EXPECT_EQ(1, InitPciAccess());
    EXPECT_EQ(1, pc->trace.CountOf(SimEvent::VersionQuery));
    EXPECT_EQ(1, gApp.pci.present[32]);
}

TEST_F(PciConfigTest, ReadsFailBeforeInitialisationAndOutsideSlots1To511)
{
    uint32_t value = 0x5A5A5A5A;
    EXPECT_EQ(0, ReadPciConfig(32, kPciVendorId, &value));
    EXPECT_EQ(0, ReadPciConfig(32, kPciDevicePresent, &value));
    EXPECT_EQ(0x5A5A5A5Au, value);

    ASSERT_EQ(1, InitPciAccess());
    ASSERT_EQ(1, gApp.pci.present[0]);  // the host bridge answered the probe
    pc->trace.Clear();
    for (int32_t slot : {0, -1, 512, 0x7FFFFFFF}) {
        EXPECT_EQ(0, ReadPciConfig(slot, kPciVendorId, &value)) << slot;
        EXPECT_EQ(0, ReadPciConfig(slot, kPciDevicePresent, &value)) << slot;
        EXPECT_EQ(0x5A5A5A5Au, value) << slot;
    }
    EXPECT_EQ(0, pc->trace.Count());
}

TEST_F(PciConfigTest, EmptySlotsAnswerPresenceWithZeroAndLeaveReadsUntouched)
{
    ASSERT_EQ(1, InitPciAccess());
    pc->trace.Clear();
    uint32_t value = 0x5A5A5A5A;
    EXPECT_EQ(0, ReadPciConfig(33, kPciDevicePresent, &value));
    EXPECT_EQ(0u, value);
    value = 0x5A5A5A5A;
    EXPECT_EQ(0, ReadPciConfig(33, kPciVendorId, &value));
    EXPECT_EQ(0x5A5A5A5Au, value);
    EXPECT_EQ(1, ReadPciConfig(32, kPciDevicePresent, &value));
    EXPECT_EQ(1u, value);
    EXPECT_EQ(0, pc->trace.Count());  // presence comes from the probe's table
}

TEST_F(PciConfigTest, Mechanism2ReachesSlots1To15Only)
{
    Configure("mech=2 slot=0:15");
    ASSERT_EQ(1, InitPciAccess());
    ASSERT_EQ(1, gApp.pci.present[0]);
    uint32_t value = 0;
    EXPECT_EQ(0, ReadPciConfig(0, kPciVendorId, &value));  // ports 0xC000-0xC0FF are never read
    EXPECT_EQ(1, ReadPciConfig(1, kPciVendorId, &value));
    EXPECT_EQ(0x8086u, value);
    EXPECT_EQ(1, ReadPciConfig(15, kPciDeviceId, &value));
    EXPECT_EQ(0x0028u, value);
    EXPECT_EQ(0, ReadPciConfig(16, kPciVendorId, &value));
}

// Every offset and size rule, under both mechanisms, on a header whose
// double words make each byte recognisable.
class PciRegisterReadTest : public PciConfigTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PciRegisterReadTest, OffsetsShiftAndSizesMask)
{
    Configure(GetParam());
    const int32_t slot = pc->bus.Mechanism() == 1 ? 32 : 5;
    pc->bus.SetConfigDword(0, 0x00, 0x002810DEu);
    pc->bus.SetConfigDword(0, 0x08, 0xA1B2C3D4u);
    pc->bus.SetConfigDword(0, 0x0C, 0x11223344u);
    pc->bus.SetConfigDword(0, 0x10, 0xE6000008u);
    ASSERT_EQ(1, InitPciAccess());

    struct Case {
        uint32_t offset, size, expected;
    };
    const Case cases[] = {
        {0x00, 2, 0x10DE},        // vendor ID
        {0x02, 2, 0x0028},        // bits 16-31 of double word 0x00
        {0x09, 3, 0xA1B2C3},      // bits 8-31 of double word 0x08
        {0x08, 1, 0xD4},          // revision ID
        {0x0E, 1, 0x22},          // bits 16-23 of double word 0x0C
        {0x0F, 1, 0x11},          //
        {0x0D, 2, 0x2233},        //
        {0x02, 4, 0x00000028},    // no reach into the next double word
        {0x0B, 4, 0x000000A1},    //
        {0x10, 4, 0xE6000008},    // whole double word, flag bits kept
        {0x10, 7, 0xE6000008},    // sizes above 4 mask nothing
        {0x11, 0, 0x00E60000},    // size 0 at a non-zero offset: a read, unmasked
        {0x110, 4, 0xE6000008},   // offset bits above 7 wrap within the header
        {0x1F0E, 1, 0x22},        //
    };
    for (const Case& c : cases) {
        uint32_t value = 0x5A5A5A5A;
        EXPECT_EQ(1, ReadPciConfig(slot, PciRegister{c.offset, c.size, ReadOnly}, &value))
            << "offset 0x" << std::hex << c.offset;
        EXPECT_EQ(c.expected, value) << "offset 0x" << std::hex << c.offset << " size " << c.size;
    }
}

INSTANTIATE_TEST_SUITE_P(BothMechanisms, PciRegisterReadTest, ::testing::Values("mech=1", "mech=2 slot=0:5"));

TEST_F(PciConfigTest, HeaderDescriptorsDecodeTheirFields)
{
    ASSERT_EQ(1, InitPciAccess());
    // The simulated TNT2's header, field by field, in the descriptors' order.
    const uint32_t expected[] = {
        1,           // present
        0x10DE,      // vendor ID
        0x0028,      // device ID
        0x0007,      // command
        0x02B0,      // status
        0x15,        // revision ID
        0x030000,    // class code
        0x08,        // cache line size
        0x40,        // latency timer
        0x00,        // header type
        0x00,        // BIST
        0xE6000000,  // base address 0
        0xE8000008,  // base address 1
        0, 0, 0, 0,  // base addresses 2-5
        0x10DE,      // subsystem vendor ID
        0x0028,      // subsystem ID
        0x0B,        // interrupt line
        0x01,        // interrupt pin
        0x05,        // minimum grant
        0x01,        // maximum latency
    };
    ASSERT_EQ(static_cast<int>(sizeof(expected) / sizeof(expected[0])), kPciHeaderRegisterCount);
    for (int i = 0; i < kPciHeaderRegisterCount; ++i) {
        uint32_t value = 0xFFFFFFFF;
        EXPECT_EQ(1, ReadPciConfig(32, kPciHeaderRegisters[i], &value)) << i;
        EXPECT_EQ(expected[i], value) << "descriptor " << i;
    }
}

}  // namespace
