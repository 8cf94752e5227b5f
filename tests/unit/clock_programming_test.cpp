#include <gtest/gtest.h>

#include <vector>

#include "clock/clock_programming.h"
#include "clock/pll_search.h"
#include "clock_sim.h"

namespace {

typedef std::vector<uint32_t> Words;

// The exact trace of one two-step write at a register: read the old word,
// write the intermediate word, sleep 100 ms, read four times, write the new word.
void ExpectTwoStepWrite(const SimTrace& trace, int start, uint32_t offset, uint32_t oldWord, uint32_t intermediate,
                        uint32_t newWord)
{
    const SimTraceEntry expected[] = {
        {SimEvent::RegisterRead32, offset, oldWord},       {SimEvent::RegisterWrite32, offset, intermediate},
        {SimEvent::Sleep, 0, 100},                         {SimEvent::RegisterRead32, offset, intermediate},
        {SimEvent::RegisterRead32, offset, intermediate},  {SimEvent::RegisterRead32, offset, intermediate},
        {SimEvent::RegisterRead32, offset, intermediate},  {SimEvent::RegisterWrite32, offset, newWord},
    };
    ASSERT_LE(start + 8, trace.Count());
    for (int i = 0; i < 8; ++i) {
        const SimTraceEntry& e = trace.At(start + i);
        EXPECT_EQ(expected[i].event, e.event) << "entry " << start + i;
        EXPECT_EQ(expected[i].address, e.address) << "entry " << start + i;
        EXPECT_EQ(expected[i].value, e.value) << "entry " << start + i;
    }
}

TEST(WritePllWord, IntermediateWordCarriesTheLargerPostDivider)
{
    const struct {
        uint32_t oldWord, newWord, intermediate;
    } cases[] = {
        {0x0001E30D, 0x0000880D, 0x0001880D},  // P falls: old P, new M and N
        {0x0000880D, 0x0001E30D, 0x0001880D},  // P rises: new P, old M and N
        {0x0001E30D, 0x0001B00E, 0x0001E30D},  // same P: the old word again
        {0xFFF9E30D, 0x0001B00E, 0x0001E30D},  // bits 19-31 of the old word are dropped
        {0x0007E30D, 0x0000880D, 0x0007880D},  // P compared as unsigned 3-bit fields
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.oldWord << " -> " << c.newWord);
        ClockSim sim(BoardKind::TNT2);
        sim.chip.Poke32(kMemPllRegister, c.oldWord);
        WritePllWord(kMemPllRegister, c.newWord);
        ASSERT_EQ(8, sim.trace->Count());
        ExpectTwoStepWrite(*sim.trace, 0, kMemPllRegister, c.oldWord, c.intermediate, c.newWord);
        EXPECT_EQ(c.newWord, sim.chip.Peek32(kMemPllRegister));
        EXPECT_EQ(100u, sim.ticks.GetTickCount());
    }
}

TEST(WritePllWord, LowersTheOffsetToAWholeWord)
{
    ClockSim sim(BoardKind::TNT2);
    sim.chip.Poke32(kGfxPllRegister, 0x0001E30D);
    WritePllWord(kGfxPllRegister + 3, 0x0000880D);
    ExpectTwoStepWrite(*sim.trace, 0, kGfxPllRegister, 0x0001E30D, 0x0001880D, 0x0000880D);
}

TEST(WritePllWord, NeverWritesAWordWithoutDivider)
{
    ClockSim sim(BoardKind::TNT2);
    sim.chip.Poke32(kGfxPllRegister, 0x0001E30D);
    WritePllWord(kGfxPllRegister, 0);
    WritePllWord(kGfxPllRegister, 0x0001E300);
    EXPECT_EQ(0, sim.trace->Count());
    EXPECT_EQ(0x0001E30Du, sim.chip.Peek32(kGfxPllRegister));
}

TEST(ApplyClocks, LeavesDomainsOf33MHzOrLessAlone)
{
    const struct {
        uint32_t gfxMHz, memMHz;
        Words gfxWrites, memWrites;
    } cases[] = {
        {0, 0, {}, {}},
        {33, 33, {}, {}},
        {33, 34, {}, {0x0002E30D, 0x00022604}},
        {34, 33, {0x0002E30D, 0x00022604}, {}},
        {125, 150, {0x0002E30D, 0x0001E30D}, {0x0001880D, 0x0000880D}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gfxMHz << ", " << c.memMHz);
        ClockSim sim(BoardKind::Gravenor);
        sim.chip.Poke32(kGfxPllRegister, 0x0002E30D);
        sim.chip.Poke32(kMemPllRegister, 0x0001E30D);
        ApplyClocks(c.gfxMHz, c.memMHz);
        EXPECT_EQ(c.gfxWrites, sim.WritesTo(kGfxPllRegister));
        EXPECT_EQ(c.memWrites, sim.WritesTo(kMemPllRegister));
        if (c.gfxWrites.empty() && c.memWrites.empty()) {
            EXPECT_EQ(0, sim.trace->Count()) << "no register touched, no display reset";
        }
    }
}

TEST(ApplyClocks, GraphicsFirstThenMemoryThenTheDisplayReset)
{
    ClockSim sim(BoardKind::Gravenor, true, true);
    sim.chip.Poke32(kGfxPllRegister, 0x0001E30D);
    sim.chip.Poke32(kMemPllRegister, 0x00001F02);
    ApplyClocks(150, 150);  // memory is DDR: its PLL goes to 300 MHz

    // Graphics: crystal strap read by the conversion, then the two-step write.
    int i = 0;
    ASSERT_EQ(SimEvent::RegisterRead32, sim.trace->At(i).event);
    EXPECT_EQ(kStrapRegister, sim.trace->At(i).address);
    ExpectTwoStepWrite(*sim.trace, i + 1, kGfxPllRegister, 0x0001E30D, 0x0001880D, 0x0000880D);
    i += 9;
    // Memory: DDR byte, strap, two-step write; then the mode reset.
    EXPECT_EQ(SimEvent::RegisterRead8, sim.trace->At(i).event);
    EXPECT_EQ(SimEvent::RegisterRead32, sim.trace->At(i + 1).event);
    ExpectTwoStepWrite(*sim.trace, i + 2, kMemPllRegister, 0x00001F02, 0x00001F02, 0x00001501);
    i += 10;
    ASSERT_EQ(i + 1, sim.trace->Count());
    EXPECT_EQ(SimEvent::DisplayReset, sim.trace->At(i).event);

    EXPECT_EQ(150u, ReadGfxClock());
    EXPECT_EQ(150u, ReadMemClock());
}

TEST(ApplyClocks, OnlyGeForceBoardsResetTheDisplayMode)
{
    for (int kind = 1; kind <= 7; ++kind) {
        SCOPED_TRACE(testing::Message() << "kind " << kind);
        ClockSim sim(static_cast<BoardKind>(kind));
        ApplyClocks(0, 150);
        EXPECT_EQ(2u, sim.WritesTo(kMemPllRegister).size());
        const bool geforce = kind == 6 || kind == 7;
        EXPECT_EQ(geforce ? 1 : 0, sim.display.ResetCount());
        // A failing reset changes nothing.
        sim.display.SetResetResult(0);
        ApplyClocks(150, 0);
        EXPECT_EQ(2u, sim.WritesTo(kGfxPllRegister).size());
        EXPECT_EQ(geforce ? 2 : 0, sim.display.ResetCount());
    }
}

// A conversion without coefficients must not stop a PLL with M = 0: the
// domain keeps its clock, and the display reset still follows the last word.
TEST(ApplyClocks, AFailedConversionLeavesItsDomainAlone)
{
    const struct {
        BoardKind kind;
        uint32_t gfxMHz, memMHz;
        bool gfxWritten, memWritten;
        int resets;
    } cases[] = {
        {BoardKind::TNT, 200, 0, false, false, 0},      // outside the float search's reach
        {BoardKind::TNT, 90, 200, true, false, 0},
        {BoardKind::TNT, 40, 90, false, true, 0},
        {BoardKind::Gravenor, 150, 4000000, true, false, 0},  // last word 0: no reset
        {BoardKind::Gravenor, 4000000, 150, false, true, 1},
        {BoardKind::GravenorPro, 4000000, 4000000, false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << ": " << c.gfxMHz << ", "
                                        << c.memMHz);
        ClockSim sim(c.kind);
        sim.chip.Poke32(kGfxPllRegister, 0x0001E30D);
        sim.chip.Poke32(kMemPllRegister, 0x0001E30D);
        ApplyClocks(c.gfxMHz, c.memMHz);
        EXPECT_EQ(c.gfxWritten ? 2u : 0u, sim.WritesTo(kGfxPllRegister).size());
        EXPECT_EQ(c.memWritten ? 2u : 0u, sim.WritesTo(kMemPllRegister).size());
        if (!c.gfxWritten) {
            EXPECT_EQ(0x0001E30Du, sim.chip.Peek32(kGfxPllRegister));
        }
        if (!c.memWritten) {
            EXPECT_EQ(0x0001E30Du, sim.chip.Peek32(kMemPllRegister));
        }
        EXPECT_EQ(c.resets, sim.display.ResetCount());
    }
}

}  // namespace
