// The chip's registers without VELKOR.VXD: the DPMI fallback's decisions
// around the VxDCall, the order of the two ways, and the identification
// check that guards every mapping.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "board/board_detect.h"
#include "platform/dpmi_mapping.h"
#include "board/register_mapping.h"
#include "clock/clock_programming.h"
#include "clock/pll_search.h"
#include "sim_fixture.h"

namespace {

// ---- A kernel32 image with VxDCall2 as code, a forwarder, a named or no export

const uint32_t kExportRva = 0x1000, kExportSize = 0x200, kFunctionsRva = 0x1100, kNameOrdinalsRva = 0x1180,
               kForwarderRva = 0x1040, kCodeRva = 0x1800;

enum class Entry { Code, Forwarder, Named, TooFewExports, NoMz };

void Put32(std::vector<uint8_t>& image, uint32_t at, uint32_t value)
{
    memcpy(&image[at], &value, 4);
}

void Put16(std::vector<uint8_t>& image, uint32_t at, uint16_t value)
{
    memcpy(&image[at], &value, 2);
}

std::vector<uint8_t> Kernel32Image(Entry entry)
{
    std::vector<uint8_t> image(0x2000, 0);
    if (entry != Entry::NoMz)
        memcpy(&image[0], "MZ", 2);
    Put32(image, 0x3C, 0x80);
    memcpy(&image[0x80], "PE\0\0", 4);
    Put16(image, 0x80 + 20, 0xE0);  // size of the optional header
    Put16(image, 0x98, 0x10B);      // PE32
    Put32(image, 0x98 + 92, 16);    // data directories
    Put32(image, 0x98 + 96, kExportRva);
    Put32(image, 0x98 + 100, kExportSize);
    Put32(image, kExportRva + 16, 1);                                    // ordinal base
    Put32(image, kExportRva + 20, entry == Entry::TooFewExports ? 2 : 9);  // VxDCall0..8
    Put32(image, kExportRva + 24, entry == Entry::Named ? 1 : 0);
    Put32(image, kExportRva + 28, kFunctionsRva);
    Put32(image, kExportRva + 36, kNameOrdinalsRva);
    Put16(image, kNameOrdinalsRva, 2);  // the name, if any, is ordinal 3's
    const char forwarder[] = "krnl386.exe16.VxDCall2";
    memcpy(&image[kForwarderRva], forwarder, sizeof(forwarder));
    for (uint32_t i = 0; i < 9; ++i)
        Put32(image, kFunctionsRva + 4 * i, kCodeRva + 0x10 * i);
    if (entry == Entry::Forwarder)
        Put32(image, kFunctionsRva + 8, kForwarderRva);
    return image;
}

// The VxDCall as the tests make it: the arguments kept, the answer chosen.
struct FakeVxDCall {
    int calls = 0;
    uintptr_t entry = 0;
    uint32_t physical = 0, length = 0;
    int carryClear = 1;
    uint32_t answer = 0x81230000u;
} gVxDCall;

int FakeDpmiMap(uintptr_t vxdCall, uint32_t physicalAddress, uint32_t length, uint32_t* linearAddress)
{
    ++gVxDCall.calls;
    gVxDCall.entry = vxdCall;
    gVxDCall.physical = physicalAddress;
    gVxDCall.length = length;
    if (gVxDCall.carryClear)
        *linearAddress = gVxDCall.answer;
    return gVxDCall.carryClear;
}

TEST(VxDCallMapping, OnlyCodeAtOrdinalThreeIsCalledAndOnlyAClearCarryWithAnAddressMaps)
{
    struct Case {
        Entry entry;
        int carryClear;
        uint32_t answer;
        int calls;
        int mapped;
    };
    const Case cases[] = {
        {Entry::Code, 1, 0x81230000u, 1, 1},
        {Entry::Code, 0, 0x81230000u, 1, 0},   // carry set: refused
        {Entry::Code, 1, 0, 1, 0},              // success without an address is none
        {Entry::Forwarder, 1, 0x81230000u, 0, 0},  // Wine: a string, never called
        {Entry::Named, 1, 0x81230000u, 0, 0},      // the NT line: some other function
        {Entry::TooFewExports, 1, 0x81230000u, 0, 0},
        {Entry::NoMz, 1, 0x81230000u, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        std::vector<uint8_t> image = Kernel32Image(c.entry);
        gVxDCall = FakeVxDCall();
        gVxDCall.carryClear = c.carryClear;
        gVxDCall.answer = c.answer;
        uint32_t linear = 0xDEADBEEFu;
        EXPECT_EQ(c.mapped, MapThroughVxDCall(image.data(), FakeDpmiMap, 0xE6680000u, 0x1000, &linear));
        EXPECT_EQ(c.mapped ? c.answer : 0xDEADBEEFu, linear);
        EXPECT_EQ(c.calls, gVxDCall.calls);
        if (c.calls) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(image.data() + kCodeRva + 0x20), gVxDCall.entry);
            EXPECT_EQ(0xE6680000u, gVxDCall.physical);
            EXPECT_EQ(0x1000u, gVxDCall.length);
        }
    }
    EXPECT_EQ(0, MapThroughVxDCall(nullptr, FakeDpmiMap, 0xE6000000u, 0x1000, nullptr));
}

// ---- Detection: which way, what is mapped, and the identification check

class RegisterMappingTest : public SimPcTest {
protected:
    int Count(SimEvent event) const { return pc->trace.CountOf(event); }
};

TEST_F(RegisterMappingTest, WithoutTheDriverOnlyThePiecesVelkorTouchesAreMappedAndTheyCarryAnApply)
{
    Configure("board=GravenorPro ddr=1 driver=missing dpmi=ok");
    pc->bus.SetConfigDword(0, 0x10, 0xE600000Cu);  // flag bits in the base address
    ASSERT_EQ(1, DetectBoard());
    EXPECT_EQ(kInvalidDriverHandle, gApp.driverHandle);
    EXPECT_EQ(120u, gApp.gfx.baseline);
    EXPECT_EQ(150u, gApp.mem.baseline);  // the DDR flag and the strap were reached

    const SimPhysicalMemory& memory = pc->physicalMemory;
    ASSERT_EQ(3, memory.MapCount());
    const uint32_t expected[3][2] = {{0xE6000000u, 0x1000}, {0xE6100000u, 0x2000}, {0xE6680000u, 0x1000}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(expected[i][0], memory.RequestedAddress(i)) << i;
        EXPECT_EQ(expected[i][1], memory.RequestedLength(i)) << i;
    }

    ApplyClocks(135, 160);
    EXPECT_EQ(ClockToPllWord(135, 0), pc->chip.Peek32(kGfxPllOffset));
    EXPECT_EQ(ClockToPllWord(160, 1), pc->chip.Peek32(kMemPllOffset));  // doubled inside for DDR
    EXPECT_EQ(0, Count(SimEvent::UnmappedAccess));

    // A second detection in the same run maps nothing more: there is no unmapping.
    ASSERT_EQ(1, DetectBoard());
    EXPECT_EQ(3, memory.MapCount());
}

TEST_F(RegisterMappingTest, TheDriverComesFirstAndARefusingDriverIsFinal)
{
    Configure("driver=ok dpmi=ok");
    ASSERT_EQ(1, DetectBoard());
    EXPECT_EQ(static_cast<RegisterWindow*>(&pc->chip), gApp.registers);
    EXPECT_EQ(0, pc->physicalMemory.MapCount());

    FreshApp();
    Configure("driver=refuse dpmi=ok");
    EXPECT_EQ(0, DetectBoard());
    EXPECT_EQ(nullptr, gApp.registers);
    EXPECT_EQ(0, pc->physicalMemory.MapCount());
}

TEST_F(RegisterMappingTest, AFallbackThatFailsOrFaultsEndsDetectionWithNothingTouched)
{
    for (const char* setup : {"driver=missing dpmi=fail", "driver=missing dpmi=fault", "driver=missing"}) {
        SCOPED_TRACE(setup);
        FreshApp();
        Configure(setup);
        const int mapsBefore = pc->physicalMemory.MapCount();
        EXPECT_EQ(0, DetectBoard());
        EXPECT_EQ(nullptr, gApp.registers);
        EXPECT_EQ(0u, gApp.gfx.baseline);
        EXPECT_EQ(0, Count(SimEvent::RegisterRead32) + Count(SimEvent::RegisterRead8));
        EXPECT_EQ(0, Count(SimEvent::RegisterWrite32));
        bool faults = pc->physicalMemory.Mode() == SimDpmiMode::Fault;
        // Failing stops at the first piece; a faulting address is read once, guarded.
        EXPECT_EQ(faults ? 3 : 1, pc->physicalMemory.MapCount() - mapsBefore);
        EXPECT_EQ(faults ? 1 : 0, Count(SimEvent::UnmappedAccess));
    }
}

TEST_F(RegisterMappingTest, OnlyNoChipIsRefusedWhicheverWayTheMappingWasMade)
{
    struct Case {
        uint32_t id;
        int detected;
    };
    // All ones is an empty bus, 0 memory with nothing in it; any other value
    // is a chip, even one no table foresaw.
    const Case cases[] = {{0xFFFFFFFFu, 0}, {0, 0}, {0x20114000u, 1}, {0x12345678u, 1}, {0xFFFFFFFEu, 1}};
    for (const char* way : {"driver=ok", "driver=missing dpmi=ok"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << way << " id " << std::hex << c.id);
            FreshApp();
            Configure(way);
            pc->chip.Poke32(kChipIdOffset, c.id);
            EXPECT_EQ(c.detected, DetectBoard());
            EXPECT_EQ(c.detected ? 125u : 0u, gApp.gfx.baseline);
            if (!c.detected) {
                EXPECT_EQ(nullptr, gApp.registers);
                EXPECT_EQ(1, Count(SimEvent::RegisterRead32));  // the identification, nothing after
                EXPECT_EQ(0, Count(SimEvent::RegisterWrite32));
            }
        }
    }
}

TEST_F(RegisterMappingTest, ABoardWithoutAnApertureIsNotMapped)
{
    Configure("driver=missing dpmi=ok");
    pc->bus.SetConfigDword(0, 0x10, 0x00000008u);  // flags only: no address assigned
    EXPECT_EQ(0, DetectBoard());
    EXPECT_EQ(0, pc->physicalMemory.MapCount());
}

}  // namespace
