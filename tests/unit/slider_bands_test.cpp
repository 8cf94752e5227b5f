// Band positions, frame, thumb and dither pattern of the painted sliders.
#include <gtest/gtest.h>

#include "app_state.h"
#include "ui/slider_bands.h"

namespace {

ClockDomain Range(uint32_t min, uint32_t max, uint32_t defaultClock = 125, uint32_t defaultMax = 140)
{
    ClockDomain d;
    d.defaultClock = defaultClock;
    d.defaultMax = defaultMax;
    d.min = min;
    d.max = max;
    return d;
}

const PixelRect kClient = {0, 0, 258, 28};
const PixelRect kChannel = {8, 12, 250, 16};  // W = 242
const PixelRect kThumb = {120, 4, 131, 24};

void ExpectRect(const PixelRect& expected, const PixelRect& actual, const char* what)
{
    EXPECT_EQ(expected.left, actual.left) << what;
    EXPECT_EQ(expected.top, actual.top) << what;
    EXPECT_EQ(expected.right, actual.right) << what;
    EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

TEST(SliderBands, Tnt2GraphicsSliderAtTheInitialRangeHasNoRed)
{
    const SliderLayout s = LayOutSlider(kClient, kThumb, kChannel, Range(115, 140));
    EXPECT_EQ(104, s.x1);
    EXPECT_FALSE(s.hasRed);
    ExpectRect({10, 11, 104, 17}, s.green, "green");
    ExpectRect({104, 11, 248, 17}, s.yellow, "yellow");
}

TEST(SliderBands, Tnt2GraphicsSliderWidenedToItsCeilingShowsRed)
{
    const SliderLayout s = LayOutSlider(kClient, kThumb, kChannel, Range(115, 166));
    EXPECT_EQ(55, s.x1);
    EXPECT_TRUE(s.hasRed);
    EXPECT_EQ(126, s.x2);
    ExpectRect({10, 11, 55, 17}, s.green, "green");
    ExpectRect({55, 11, 126, 17}, s.yellow, "yellow");
    ExpectRect({126, 11, 248, 17}, s.red, "red");
}

TEST(SliderBands, BandXIsUnsignedModularAsWritten)
{
    const struct {
        int32_t left, width;
        uint32_t clock, min, max;
        int32_t x;
    } cases[] = {
        {8, 242, 125, 115, 140, 104},
        {8, 242, 140, 115, 166, 126},
        {8, 242, 125, 90, 140, 8 + 35 * 242 / 50},  // widened to a live 90: green grows
        {8, 242, 115, 115, 140, 8},
        {8, 242, 140, 115, 140, 250},
        // Beyond 2^32 the product wraps: 100000 * 50000 = 5000000000 = 705032704 mod 2^32.
        {0, 50000, 100000, 0, 200000, 3525},
        // A clock below min: (5 - 10) * 10 = 0xFFFFFFCE modulo 2^32, / 10.
        {0, 10, 5, 10, 20, 429496724},
        // An empty range counts as one MHz wide instead of dividing by zero.
        {8, 242, 125, 125, 125, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clock);
        EXPECT_EQ(c.x, BandX(c.left, c.width, c.clock, c.min, c.max));
    }
}

TEST(SliderBands, RedExistsOnlyAboveTheDefaultMaximum)
{
    EXPECT_FALSE(LayOutSlider(kClient, kThumb, kChannel, Range(115, 140)).hasRed);
    EXPECT_TRUE(LayOutSlider(kClient, kThumb, kChannel, Range(115, 141)).hasRed);
    // Unsigned comparison: a maximum below the default maximum is no red either.
    EXPECT_FALSE(LayOutSlider(kClient, kThumb, kChannel, Range(115, 139)).hasRed);
}

TEST(SliderBands, ThumbFrameAndBackgroundGeometry)
{
    const SliderLayout s = LayOutSlider(kClient, kThumb, kChannel, Range(115, 140));
    EXPECT_EQ(125, s.cx);  // (120 + 131) / 2
    EXPECT_EQ(14, s.cy);
    EXPECT_EQ(11, s.h);    // 20 / 2 + 1
    ExpectRect({8, 9, 118, 19}, s.frameLeft, "frame left");
    ExpectRect({132, 9, 250, 19}, s.frameRight, "frame right");
    // Bands sit exactly inside the sunken (2-pixel) frame.
    EXPECT_EQ(s.frameLeft.left + 2, s.green.left);
    EXPECT_EQ(s.frameLeft.top + 2, s.green.top);
    EXPECT_EQ(s.frameLeft.bottom - 2, s.green.bottom);
    EXPECT_EQ(s.frameRight.right - 2, s.yellow.right);

    const PixelRect background[8] = {{0, 0, 125, 9},    {0, 19, 125, 28},  {125, 0, 258, 9},
                                     {125, 19, 258, 28}, {120, 0, 131, 4},  {120, 24, 131, 28},
                                     {0, 0, 8, 28},      {250, 0, 258, 28}};
    for (int i = 0; i < 8; ++i)
        ExpectRect(background[i], s.background[i], "background");

    const PixelPoint diamond[4] = {{114, 14}, {125, 3}, {136, 14}, {125, 25}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(diamond[i].x, s.diamond[i].x) << i;
        EXPECT_EQ(diamond[i].y, s.diamond[i].y) << i;
    }
    ExpectRect({114, 3, 125, 14}, s.thumbEdges[0], "upper left");
    ExpectRect({125, 3, 136, 14}, s.thumbEdges[1], "upper right");
    ExpectRect({125, 14, 136, 25}, s.thumbEdges[2], "lower right");
    ExpectRect({114, 14, 125, 25}, s.thumbEdges[3], "lower left");
}

TEST(SliderBands, CentresTruncateTowardZero)
{
    // A thumb dragged partly off the left edge: negative sums divide toward zero.
    const PixelRect thumb = {-5, 4, 2, 23};
    const SliderLayout s = LayOutSlider(kClient, thumb, kChannel, Range(115, 140));
    EXPECT_EQ(-1, s.cx);  // -3 / 2
    EXPECT_EQ(13, s.cy);  // 27 / 2
    EXPECT_EQ(10, s.h);   // 19 / 2 + 1
}

TEST(SliderBands, DitherPatternIsAOnePixelCheckerboard)
{
    uint8_t bits[kDitherBytes];
    memset(bits, 0x5A, sizeof bits);
    FillDitherPattern(bits);
    const uint8_t expected[kDitherBytes] = {0xAA, 0, 0, 0, 0x55, 0, 0, 0, 0xAA, 0, 0, 0, 0x55, 0, 0, 0,
                                            0xAA, 0, 0, 0, 0x55, 0, 0, 0, 0xAA, 0, 0, 0, 0x55, 0, 0, 0};
    EXPECT_EQ(0, memcmp(expected, bits, sizeof bits));
}

}  // namespace
