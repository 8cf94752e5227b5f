#include <gtest/gtest.h>

#include <vector>

#include "sim/sim_chip.h"

TEST(SimChip, StrapAndDdrBitsAreWhereTheChipKeepsThem)
{
    std::vector<uint8_t> storage(kRegisterWindowBytes);
    SimTrace trace;
    SimChip chip(storage.data(), &trace);
    chip.SetCrystal14MHz(true);
    chip.SetDdr(true);
    EXPECT_EQ(0x40u, chip.Peek32(kStrapOffset) & 0x40u);
    EXPECT_EQ(1u, chip.Read8(kMemConfigOffset) & 1u);
    chip.SetCrystal14MHz(false);
    EXPECT_EQ(0u, chip.Read32(kStrapOffset) & 0x40u);
    ASSERT_EQ(2, trace.Count());
    EXPECT_EQ(SimEvent::RegisterRead8, trace.At(0).event);
    EXPECT_EQ(kStrapOffset, trace.At(1).address);
}
