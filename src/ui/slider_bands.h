#pragma once
// The geometry and colours of a painted clock slider, worked out from the
// trackbar's client, thumb and channel rectangles and the domain's limits.
// Plain numbers, so the drawing code only has to draw what this says.
#include <stdint.h>

struct ClockDomain;

struct PixelRect {
    int32_t left, top, right, bottom;
};

struct PixelPoint {
    int32_t x, y;
};

// Colour values, 0x00BBGGRR.
const uint32_t kBandGreen = 0x00FF00;
const uint32_t kBandYellow = 0x00FFFF;
const uint32_t kBandRed = 0x0000FF;

struct SliderLayout {
    int32_t cx, cy, h;     // thumb centre and half diagonal
    PixelRect frameLeft;   // sunken frame left of the thumb: its left, top and bottom sides
    PixelRect frameRight;  // right of the thumb: top, right and bottom sides
    int32_t x1;            // default clock on the channel
    bool hasRed;           // the user's upper limit lies above the default maximum
    int32_t x2;            // default maximum on the channel (when hasRed)
    PixelRect green, yellow, red;
    PixelRect background[8];  // the control minus the frame and the thumb
    PixelPoint diamond[4];    // left, top, right, bottom corners
    PixelRect thumbEdges[4];  // upper-left, upper-right, lower-right, lower-left quarters
};

// Where on a channel from left to left + width the clock lies, for a slider
// range from min to max: left + (clock - min) * width / (max - min) in
// unsigned 32-bit arithmetic, the product modulo 2^32. An empty range (which
// the settings never produce) is taken as one MHz wide instead of dividing by 0.
int32_t BandX(int32_t left, int32_t width, uint32_t clock, uint32_t min, uint32_t max);

// client: the control's client rectangle; thumb and channel as the trackbar
// reports them.
SliderLayout LayOutSlider(const PixelRect& client, const PixelRect& thumb, const PixelRect& channel,
                          const ClockDomain& domain);

// The 8 x 8 one-bit checkerboard of a pressed thumb, bottom-up rows of 4 bytes
// (the pixels in the first byte), ready for a device-independent bitmap.
const int kDitherBytes = 32;
void FillDitherPattern(uint8_t bits[kDitherBytes]);
