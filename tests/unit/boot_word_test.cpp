// The scrambled boot word and its inverse.
#include <gtest/gtest.h>

#include "settings/boot_word.h"

namespace {

TEST(BootWord, LayoutOfAKnownWord)
{
    // S ^ 0x3D4B = 0x12346B33, doubled and cut to 16 bits: L = 0xD666;
    // S / 2 cut to 16 bits: H = 0x2B3C.
    // low  = 125 ^ 0x28 ^ 0xD666          = 0xD633
    // high = 166 ^ 0x28 ^ 0x2B3C ^ 0x61C7 = 0x4A75
    EXPECT_EQ(0x4A75D633u, ScrambleBootClocks(125, 166, 0x0028, 0x12345678));
    EXPECT_EQ(0x61C77A96u, ScrambleBootClocks(0, 0, 0, 0));  // the masks alone
}

TEST(BootWord, EachHalfUsesOnlyItsOwnSeedBits)
{
    const uint32_t base = ScrambleBootClocks(140, 183, 0x0029, 0x00004000);
    // Seed bit 15 only feeds the high half, bit 0 only the low half, bits 17 up nothing.
    EXPECT_EQ(base & 0xFFFF, ScrambleBootClocks(140, 183, 0x0029, 0x00004000 | 1u << 15) & 0xFFFF);
    EXPECT_NE(base >> 16, ScrambleBootClocks(140, 183, 0x0029, 0x00004000 | 1u << 15) >> 16);
    EXPECT_EQ(base >> 16, ScrambleBootClocks(140, 183, 0x0029, 0x00004001) >> 16);
    EXPECT_NE(base & 0xFFFF, ScrambleBootClocks(140, 183, 0x0029, 0x00004001) & 0xFFFF);
    EXPECT_EQ(base, ScrambleBootClocks(140, 183, 0x0029, 0xFFFE4000));
    // Bit 0 of the low key is always 0: the low bit is G ^ D alone.
    for (uint32_t seed : {0u, 1u, 0x7FFFu, 0xFFFFFFFFu})
        EXPECT_EQ((140u ^ 0x0029u) & 1, ScrambleBootClocks(140, 183, 0x0029, seed) & 1);
}

TEST(BootWord, ClocksTravelAsTheirLow16Bits)
{
    EXPECT_EQ(ScrambleBootClocks(125, 166, 0x00A0, 99), ScrambleBootClocks(0x1007D, 0xFF00A6, 0x00A0, 99));
}

TEST(BootWord, DeviceIdsMakeDifferentWordsForEqualClocks)
{
    const uint16_t devices[] = {0x0020, 0x0028, 0x0029, 0x002C, 0x002D, 0x0100, 0x0101};
    for (uint16_t a : devices) {
        for (uint16_t b : devices) {
            if (a != b) {
                EXPECT_NE(ScrambleBootClocks(140, 166, a, 0xCAFE), ScrambleBootClocks(140, 166, b, 0xCAFE));
            }
        }
    }
    EXPECT_EQ(ScrambleBootClocks(140, 166, 0x0028, 0xCAFE), ScrambleBootClocks(140, 166, 0x0028, 0xCAFE));
}

TEST(BootWord, InverseGivesBackBothClocks)
{
    const uint32_t seeds[] = {0, 1, 0x3D4B, 0x8000, 0x1FFFF, 0x12345678, 0xFFFFFFFF};
    const uint16_t devices[] = {0x0000, 0x0028, 0x0101, 0xFFFF};
    for (uint32_t seed : seeds)
        for (uint16_t device : devices)
            for (uint32_t gfx = 0; gfx <= 300; gfx += 23)
                for (uint32_t mem : {0u, 90u, 166u, 220u, 0xFFFFu}) {
                    uint32_t word = ScrambleBootClocks(gfx, mem, device, seed);
                    uint32_t gotGfx = ~0u, gotMem = ~0u;
                    UnscrambleBootClocks(word, device, seed, &gotGfx, &gotMem);
                    ASSERT_EQ(gfx, gotGfx) << seed << " " << device;
                    ASSERT_EQ(mem, gotMem) << seed << " " << device;
                }
}

}  // namespace
