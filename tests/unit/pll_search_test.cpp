#include <gtest/gtest.h>

#include "clock/pll_search.h"
#include "clock_sim.h"

namespace {

const bool k14 = true;
const bool k13 = false;

struct Conversion {
    BoardKind kind;
    bool crystal14;
    uint32_t mhz;
    uint32_t word;
    uint32_t readback;  // what ReadGfxClock() makes of the word
};

uint32_t ReadBackGfx(ClockSim& sim, uint32_t word)
{
    sim.chip.Poke32(kGfxPllRegister, word);
    return ReadGfxClock();
}

void ExpectConversions(const Conversion* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const Conversion& c = cases[i];
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << ", " << c.mhz << " MHz, "
                                        << (c.crystal14 ? "14.31818" : "13.5"));
        ClockSim sim(c.kind, c.crystal14);
        const uint32_t word = ClockToPllWord(c.mhz, kGfxDomain);
        EXPECT_EQ(c.word, word) << std::hex << word;
        if (word != 0) {
            EXPECT_EQ(c.readback, ReadBackGfx(sim, word));
        }
    }
}

// TNT boards: the floating-point search, P = 1 only, within about 1 %.
TEST(FloatPllSearch, ConvertsTntClocks)
{
    const Conversion cases[] = {
        {BoardKind::TNT, k14, 90, 0x0001B00E, 90},   // M 14, N 176: 11.4 Hz low beats 85.2 kHz high
        {BoardKind::TNT, k13, 90, 0x0001A00C, 90},   // three exact hits: the largest M wins
        {BoardKind::TNT, k14, 151, 0x0001FB0C, 150}, // nothing at or above 151 MHz
        {BoardKind::TNT, k13, 151, 0x0001C809, 150},
        {BoardKind::TNT, k14, 64, 0x00017E0E, 64},
        {BoardKind::TNT, k13, 64, 0x0001720C, 64},
        {BoardKind::TNT, k14, 63, 0, 0},
        {BoardKind::TNT, k13, 63, 0, 0},
        {BoardKind::TNT, k14, 152, 0, 0},
        {BoardKind::TNT, k13, 152, 0, 0},
        {BoardKind::TNT, k14, 0, 0, 0},
        {BoardKind::TNT, k14, 0xFFFFFFFF, 0, 0},
    };
    ExpectConversions(cases, sizeof cases / sizeof cases[0]);
}

TEST(FloatPllSearch, KeepsTheBestCandidateOnEachSide)
{
    ClockSim sim(BoardKind::TNT, k14);
    SetPllSearchLimits(kPllMethodTnt);
    ASSERT_EQ(kPllTakeBelow, SearchPllFloat(90e6, kCrystal14MHz));
    const PllCandidate& above = gApp.bestAbove;
    const PllCandidate& below = gApp.bestBelow;
    ASSERT_TRUE(above.found);
    EXPECT_EQ(12, above.m);
    EXPECT_EQ(151, above.n);
    EXPECT_EQ(1, above.p);
    EXPECT_NEAR(85215.8, above.errorHz, 0.1);
    EXPECT_DOUBLE_EQ(above.errorHz * 100 / 90e6, above.errorPercent);
    ASSERT_TRUE(below.found);
    EXPECT_EQ(14, below.m);
    EXPECT_EQ(176, below.n);
    EXPECT_EQ(1, below.p);
    EXPECT_NEAR(-11.4, below.errorHz, 0.05);
    EXPECT_DOUBLE_EQ(below.errorHz * 100 / 90e6, below.errorPercent);
}

TEST(FloatPllSearch, ExactHitsGoToTheLargestMAndTheSideAtOrAbove)
{
    ClockSim sim(BoardKind::TNT, k13);
    SetPllSearchLimits(kPllMethodTnt);
    ASSERT_EQ(kPllTakeAbove, SearchPllFloat(90e6, kCrystal13MHz));
    EXPECT_EQ(12, gApp.bestAbove.m);
    EXPECT_EQ(160, gApp.bestAbove.n);
    EXPECT_EQ(0.0, gApp.bestAbove.errorHz);
    EXPECT_TRUE(gApp.bestBelow.found);
}

TEST(FloatPllSearch, EverySearchStartsAfresh)
{
    ClockSim sim(BoardKind::TNT, k14);
    SetPllSearchLimits(kPllMethodTnt);
    ASSERT_EQ(kPllTakeBelow, SearchPllFloat(151e6, kCrystal14MHz));
    EXPECT_FALSE(gApp.bestAbove.found);
    EXPECT_TRUE(gApp.bestBelow.found);

    EXPECT_EQ(kPllNoCandidate, SearchPllFloat(63e6, kCrystal14MHz));
    EXPECT_FALSE(gApp.bestAbove.found);
    EXPECT_FALSE(gApp.bestBelow.found);
    EXPECT_EQ(0, gApp.bestBelow.m);
    EXPECT_EQ(1.0, gApp.bestAbove.errorPercent);
    EXPECT_EQ(-1.0, gApp.bestBelow.errorPercent);

    // A failed search leaves the caller's coefficients alone.
    PllCoefficients c = {7, 8, 9};
    EXPECT_EQ(0, SearchPll(63.0, &c, kCrystal14MHz, false));
    EXPECT_EQ(7, c.m);
    EXPECT_EQ(8, c.n);
    EXPECT_EQ(9, c.p);
    // Nor does a target of nothing or less produce a candidate.
    EXPECT_EQ(kPllNoCandidate, SearchPllFloat(0.0, kCrystal14MHz));
    EXPECT_EQ(kPllNoCandidate, SearchPllFloat(-90e6, kCrystal14MHz));
}

// Halfway between two outputs both sides are equally far: the one at or above wins.
TEST(FloatPllSearch, EqualDistancesGoAbove)
{
    ClockSim sim(BoardKind::TNT, k13);
    SetPllSearchLimits(kPllMethodTnt);
    ASSERT_EQ(kPllTakeAbove, SearchPllFloat(64465909.09090909, kCrystal13MHz));
    EXPECT_EQ(9, gApp.bestAbove.m);
    EXPECT_EQ(86, gApp.bestAbove.n);
    EXPECT_EQ(11, gApp.bestBelow.m);
    EXPECT_EQ(105, gApp.bestBelow.n);
    ASSERT_EQ(-gApp.bestBelow.errorHz, gApp.bestAbove.errorHz);
}

// 200 MHz needs the VCO undivided, which only a search from P = 0 tries.
TEST(FloatPllSearch, FirstPComesFromTheLimits)
{
    ClockSim sim(BoardKind::TNT, k14);
    SetPllSearchLimits(kPllMethodTnt);
    EXPECT_EQ(kPllNoCandidate, SearchPllFloat(200e6, kCrystal14MHz));
    SetPllSearchLimits(kPllMethodOther);
    ASSERT_NE(kPllNoCandidate, SearchPllFloat(200e6, kCrystal14MHz));
    EXPECT_EQ(0, gApp.bestAbove.p);

    // The conversion sets the limits itself, whatever was left behind.
    gApp.pllLimits.firstP = 0;
    gApp.pllLimits.maxVcoMHz = 1000;
    EXPECT_EQ(0u, ClockToPllWord(200, kGfxDomain));
    EXPECT_EQ(1, gApp.pllLimits.firstP);
}

// Every other board: the integer search in kHz.
TEST(IntegerPllSearch, ConvertsClocks)
{
    const Conversion cases[] = {
        {BoardKind::TNT2, k14, 34, 0x00022604, 34},
        {BoardKind::TNT2, k14, 125, 0x0001E30D, 125},
        {BoardKind::UltraTNT2, k14, 150, 0x0000880D, 150},
        {BoardKind::Vanta, k14, 183, 0x00007309, 183},
        {BoardKind::TNT2Value, k14, 158, 0x00000B01, 157},  // every M gives 157498 kHz: M 1 stays
        {BoardKind::Gravenor, k14, 300, 0x00001501, 301},   // first within 0.5 % above 250 MHz
        {BoardKind::GravenorPro, k13, 183, 0x00007A09, 183},
        {BoardKind::TNT2, k13, 300, 0x00005904, 300},
        {BoardKind::TNT2, k14, 90, 0x00015807, 90},
        {BoardKind::TNT2, k14, 250, 0x0000E30D, 250},  // still the smallest difference, M up to 14
        {BoardKind::TNT2, k14, 251, 0x00002302, 251},  // M 2 is the first within 0.5 %
        {BoardKind::TNT2, k14, 7, 0, 0},  // below 8 MHz no VCO fits
        {BoardKind::TNT2, k14, 0, 0, 0},
    };
    ExpectConversions(cases, sizeof cases / sizeof cases[0]);
}

// Above 250 MHz the divider range narrows to 6, above 340 MHz to 2; up to
// 250 MHz it reaches 14 (13 with the 13.5 MHz crystal).
TEST(IntegerPllSearch, ReferenceDividerBoundsFollowTheTarget)
{
    for (uint32_t crystalKHz : {14318u, 13500u}) {
        uint32_t largestM[3] = {0, 0, 0};
        for (uint32_t mhz = 8; mhz <= 1000; ++mhz) {
            uint16_t m = 0, n = 0, p = 0;
            SearchPllInteger(mhz * 100, &m, &n, &p, crystalKHz);
            ASSERT_NE(0, m) << mhz;
            ASSERT_LE(n, 255) << mhz;
            const int band = mhz > 340 ? 2 : mhz > 250 ? 1 : 0;
            if (m > largestM[band])
                largestM[band] = m;
        }
        EXPECT_EQ(crystalKHz == 14318u ? 14u : 13u, largestM[0]);
        EXPECT_LE(largestM[1], 6u);
        EXPECT_LE(largestM[2], 2u);
    }
}

TEST(IntegerPllSearch, AbsurdInputsFindNothingAndStayDefined)
{
    const struct {
        uint32_t target10kHz;
        uint32_t crystalKHz;
    } cases[] = {
        {0, 14318},          {79, 14318},         {400000000, 14318},  // 4000000 MHz
        {429496729, 14318},  {429496730, 14318},  {0xFFFFFFFF, 13500}, // v wraps
        {15000, 0},          {15000, 1},          {15000, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        uint16_t m = 99, n = 99, p = 99;
        SearchPllInteger(c.target10kHz, &m, &n, &p, c.crystalKHz);
        EXPECT_EQ(0, m) << c.target10kHz << " " << c.crystalKHz;
        EXPECT_EQ(0, n);
        EXPECT_EQ(0, p);
    }
}

TEST(ClockToPllWord, DoublesOnlyTheGeForceDdrMemoryTarget)
{
    const struct {
        BoardKind kind;
        bool ddrBit;
        uint32_t memWord;
        uint32_t memReadback;
    } cases[] = {
        {BoardKind::GravenorPro, true, 0x00001501, 150},  // searches for 300 MHz
        {BoardKind::Gravenor, true, 0x00001501, 150},
        {BoardKind::GravenorPro, false, 0x0000880D, 150},
        {BoardKind::TNT2, true, 0x0000880D, 150},
        {BoardKind::TNT, true, 0x0001FB0C, 150},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << " ddr " << c.ddrBit);
        ClockSim sim(c.kind, k14, c.ddrBit);
        const uint32_t gfxWord = ClockToPllWord(150, kGfxDomain);
        EXPECT_EQ(c.kind == BoardKind::TNT ? 0x0001FB0Cu : 0x0000880Du, gfxWord);
        EXPECT_EQ(0, sim.CountOf(SimEvent::RegisterRead8)) << "the graphics target is never doubled";
        const uint32_t memWord = ClockToPllWord(150, kMemDomain);
        EXPECT_EQ(c.memWord, memWord);
        sim.chip.Poke32(kMemPllRegister, memWord);
        EXPECT_EQ(c.memReadback, ReadMemClock());
    }
}

TEST(ClockToPllWord, DoublingWrapsWithoutHarm)
{
    ClockSim sim(BoardKind::GravenorPro, k14, true);
    EXPECT_EQ(0u, ClockToPllWord(0x80000000u, kMemDomain));  // doubles to 0
    EXPECT_EQ(0u, ClockToPllWord(0xFFFFFFFFu, kMemDomain));
    EXPECT_EQ(0u, ClockToPllWord(4000000, kMemDomain));
    EXPECT_EQ(0u, ClockToPllWord(0xFFFFFFFFu, kGfxDomain));
}

// Whatever the board, a conversion gives 0 or a word with a divider and the
// upper bits clear, and the integer search always finds one from 8 MHz up.
TEST(ClockToPllWord, WordsAreWellFormedOnEveryBoard)
{
    for (int kind = 1; kind <= 7; ++kind) {
        for (bool crystal14 : {true, false}) {
            ClockSim sim(static_cast<BoardKind>(kind), crystal14, true);
            for (uint32_t domain : {kGfxDomain, kMemDomain}) {
                for (uint32_t mhz = 0; mhz <= 400; ++mhz) {
                    const uint32_t word = ClockToPllWord(mhz, domain);
                    ASSERT_EQ(0u, word & 0xFFF80000u) << mhz;
                    if (word != 0) {
                        ASSERT_NE(0u, word & kPllMMask) << mhz;
                    } else if (kind != 1) {
                        ASSERT_LT(mhz, 8u);
                    }
                }
            }
        }
    }
}

}  // namespace
