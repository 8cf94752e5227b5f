#include <gtest/gtest.h>

#include <math.h>

#include "board/chip_registers.h"
#include "clock/pll_search.h"
#include "clock_sim.h"

namespace {

const bool k14 = true;
const bool k13 = false;

struct Readout {
    uint32_t word;
    bool crystal14;
    uint32_t mhz;
};

// Words read from both PLL registers of a board without DDR.
const Readout kReadouts[] = {
    {0x0001E30D, k14, 125},  // 125.0087 MHz
    {0x0000880D, k14, 150},  // 149.79 MHz rounds up
    {0x00015807, k14, 90},   // 89.99999 MHz
    {0x00007A09, k13, 183},  // exactly 183
    {0x00000B01, k14, 157},  // 157.49998 stays below the half
    {0x00000B01, k13, 149},  // exactly 148.5: the half goes up
    {0xFFF8880D, k14, 150},  // bits 19-31 ignored
    {0x1238880D, k13, 141},  // 141.23: the same word, the other crystal
    {0x00070100, k14, 0},    // N = 0
    {0x00000001, k13, 0},    // N = 0, M = 1
    {0x0000FF00, k14, 0},    // M = 0: no divider, never a clock to apply
    {0xFFFFFF00, k13, 0},    // M = 0 with everything else set
    {0x000FFF01, k14, 29},   // largest P: 3651.1 MHz / 128 = 28.52
};

TEST(PllReadout, BothRegistersReadTheWordsAsWholeMHz)
{
    for (const Readout& r : kReadouts) {
        SCOPED_TRACE(testing::Message() << std::hex << "word 0x" << r.word << (r.crystal14 ? " 14.31818" : " 13.5"));
        ClockSim sim(BoardKind::TNT2, r.crystal14);
        sim.chip.Poke32(kGfxPllRegister, r.word);
        sim.chip.Poke32(kMemPllRegister, r.word);
        EXPECT_EQ(r.mhz, ReadGfxClock());
        EXPECT_EQ(r.mhz, ReadMemClock());
    }
}

TEST(PllReadout, ReadsTheRegistersAgainOnEveryCallAndWritesNothing)
{
    ClockSim sim(BoardKind::GravenorPro, k14, true);
    sim.chip.Poke32(kGfxPllRegister, 0x0001E30D);
    sim.chip.Poke32(kMemPllRegister, 0x00001501);
    EXPECT_EQ(125u, ReadGfxClock());
    EXPECT_EQ(150u, ReadMemClock());
    sim.chip.Poke32(kGfxPllRegister, 0x0000880D);
    sim.chip.SetCrystal14MHz(false);
    EXPECT_EQ(141u, ReadGfxClock());

    EXPECT_EQ(0, sim.CountOf(SimEvent::RegisterWrite32));
    // The PLL word first, then the strap; the memory readout then the DDR byte.
    const SimTraceEntry expected[] = {
        {SimEvent::RegisterRead32, kGfxPllRegister, 0x0001E30D},
        {SimEvent::RegisterRead32, kStrapRegister, 0x40},
        {SimEvent::RegisterRead32, kMemPllRegister, 0x00001501},
        {SimEvent::RegisterRead32, kStrapRegister, 0x40},
        {SimEvent::RegisterRead8, kMemConfigRegister, 0x01},
        {SimEvent::RegisterRead32, kGfxPllRegister, 0x0000880D},
        {SimEvent::RegisterRead32, kStrapRegister, 0x00},
    };
    ASSERT_EQ(7, sim.trace->Count());
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(expected[i].event, sim.trace->At(i).event) << i;
        EXPECT_EQ(expected[i].address, sim.trace->At(i).address) << i;
        EXPECT_EQ(expected[i].value, sim.trace->At(i).value) << i;
    }
}

// 0x00001501 makes 300.68 MHz. Only the memory PLL of a GeForce with the DDR
// bit set runs at twice the clock the user sees; no other board looks at the bit.
TEST(PllReadout, DdrHalvesOnlyTheGeForceMemoryClock)
{
    const struct {
        BoardKind kind;
        bool ddrBit;
        uint32_t memMHz;
        int configReads;
    } cases[] = {
        {BoardKind::TNT, true, 301, 0},        {BoardKind::TNT2, true, 301, 0},
        {BoardKind::UltraTNT2, true, 301, 0},  {BoardKind::Vanta, true, 301, 0},
        {BoardKind::TNT2Value, true, 301, 0},  {BoardKind::Gravenor, true, 150, 1},
        {BoardKind::GravenorPro, true, 150, 1}, {BoardKind::Gravenor, false, 301, 1},
        {BoardKind::GravenorPro, false, 301, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << " ddr " << c.ddrBit);
        ClockSim sim(c.kind, k14, c.ddrBit);
        sim.chip.Poke32(kGfxPllRegister, 0x00001501);
        sim.chip.Poke32(kMemPllRegister, 0x00001501);
        EXPECT_EQ(301u, ReadGfxClock());
        EXPECT_EQ(0, sim.CountOf(SimEvent::RegisterRead8));
        EXPECT_EQ(c.memMHz, ReadMemClock());
        EXPECT_EQ(c.configReads, sim.CountOf(SimEvent::RegisterRead8));
        EXPECT_EQ(c.ddrBit && c.configReads == 1, IsDdrMemory());
        // The unrounded readout that the clock test and the calculator use.
        const double exact = PllWordToMHz(0x00001501, kCrystal14MHz);
        EXPECT_EQ(exact, PllWordClockMHz(0x00001501, kGfxDomain));
        EXPECT_EQ(c.ddrBit && c.configReads == 1 ? exact * 0.5 : exact, PllWordClockMHz(0x00001501, kMemDomain));
    }
}

TEST(PllReadout, OnlyBitZeroOfTheConfigByteMeansDdr)
{
    ClockSim sim(BoardKind::Gravenor, k14);
    sim.chip.Poke32(kMemConfigRegister, 0xFFFFFFFE);
    EXPECT_FALSE(IsDdrMemory());
    sim.chip.Poke32(kMemConfigRegister, 0x00000001);
    EXPECT_TRUE(IsDdrMemory());
}

TEST(PllReadout, OnlyStrapBitSixChoosesTheCrystal)
{
    ClockSim sim(BoardKind::TNT2);
    const struct {
        uint32_t strap;
        double mhz;
    } cases[] = {{0x00000040, 14.31818}, {0xFFFFFFFF, 14.31818}, {0x00000000, 13.5}, {0xFFFFFFBF, 13.5}};
    for (const auto& c : cases) {
        sim.chip.Poke32(kStrapRegister, c.strap);
        EXPECT_EQ(c.mhz, ReadCrystalMHz()) << std::hex << c.strap;
    }
}

TEST(PllModel, ClockFormula)
{
    EXPECT_NEAR(125.0087, PllWordToMHz(0x0001E30D, kCrystal14MHz), 1e-4);
    EXPECT_NEAR(300.68178, PllWordToMHz(0x00001501, kCrystal14MHz), 1e-5);
    EXPECT_EQ(148.5, PllWordToMHz(0x00000B01, kCrystal13MHz));
    EXPECT_EQ(0.0, PllWordToMHz(0x00070000, kCrystal14MHz));
    const PllCoefficients c = SplitPllWord(0xFFFFE30D);
    EXPECT_EQ(13, c.m);
    EXPECT_EQ(227, c.n);
    EXPECT_EQ(7, c.p);
}

TEST(PllModel, WholeMHzRoundsHalvesUp)
{
    const struct {
        double mhz;
        uint32_t whole;
    } cases[] = {
        {149.79, 150}, {157.49998, 157}, {148.5, 149}, {183.0, 183}, {0.49, 0},         {0.5, 1},
        {0.0, 0},      {-3.0, 0},        {NAN, 0},     {INFINITY, 0xFFFFFFFFu},         {1e12, 0xFFFFFFFFu},
        {4294967294.4, 4294967294u},     {4294967294.5, 4294967295u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.whole, ToWholeMHz(c.mhz)) << c.mhz;
}

// Every PLL field combination with both crystals: no word whose M is 0 reads
// as a clock an apply would program, and the DDR readout is the half of the
// plain one rounded the same way. The simulated chip's own decode, which the
// clock test's simulated faults go by, agrees to the last bit. Runs under the
// sanitizers in the native build.
TEST(PllModel, EveryWordReadsSafely)
{
    for (int crystal = 0; crystal < 2; ++crystal) {
        const double x = crystal ? kCrystal14MHz : kCrystal13MHz;
        ClockSim sim(BoardKind::GravenorPro, crystal != 0, true);
        for (uint32_t word = 0; word < 0x80000; ++word) {
            const double f = PllWordToMHz(word, x);
            const uint32_t whole = ToWholeMHz(f);
            sim.chip.Poke32(kGfxPllRegister, word);
            sim.chip.Poke32(kMemPllRegister, word);
            ASSERT_EQ(f, sim.chip.GraphicsMHz()) << std::hex << word;
            ASSERT_EQ(f * 0.5, sim.chip.MemoryMHz(SimChipFamily::GeForce256)) << std::hex << word;
            ASSERT_EQ(f, sim.chip.MemoryMHz(SimChipFamily::RivaTnt2)) << std::hex << word;
            if ((word & kPllMMask) == 0) {
                ASSERT_EQ(0u, whole) << std::hex << word;
                continue;
            }
            ASSERT_LE(fabs(f - whole), 0.5) << std::hex << word;
            ASSERT_LE(whole, 3652u);
        }
    }
}

TEST(PllSearchLimits, OnlyMethodFiveSearchesFromPZero)
{
    const struct {
        int32_t method;
        int32_t firstP;
    } cases[] = {{3, 1}, {5, 0}, {0, 1}, {4, 1}, {6, 1}};
    for (const auto& c : cases) {
        gApp.pllLimits = PllSearchLimits{9.0, 9, 9.0, 9, 9};
        SetPllSearchLimits(c.method);
        EXPECT_EQ(1.0, gApp.pllLimits.minReferenceMHz);
        EXPECT_EQ(3, gApp.pllLimits.maxReferenceMHz);
        EXPECT_EQ(128.0, gApp.pllLimits.minVcoMHz);
        EXPECT_EQ(300, gApp.pllLimits.maxVcoMHz);
        EXPECT_EQ(c.firstP, gApp.pllLimits.firstP) << c.method;
    }
    gApp = AppState();
}

}  // namespace
