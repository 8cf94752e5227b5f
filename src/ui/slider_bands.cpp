#include "ui/slider_bands.h"

#include <string.h>

#include "app_state.h"

int32_t BandX(int32_t left, int32_t width, uint32_t clock, uint32_t min, uint32_t max)
{
    uint32_t span = max - min;
    if (span == 0)
        span = 1;
    const uint32_t offset = (clock - min) * static_cast<uint32_t>(width) / span;
    return static_cast<int32_t>(static_cast<uint32_t>(left) + offset);
}

static PixelRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return PixelRect{left, top, right, bottom};
}

SliderLayout LayOutSlider(const PixelRect& q, const PixelRect& t, const PixelRect& r,
                          const ClockDomain& domain)
{
    SliderLayout s;
    s.cx = (t.left + t.right) / 2;
    s.cy = (t.top + t.bottom) / 2;
    s.h = (t.bottom - t.top) / 2 + 1;
    const int32_t cx = s.cx, cy = s.cy, h = s.h;

    // Two pieces, open towards the thumb, so the thumb never sits on the frame.
    s.frameLeft = Rect(r.left, r.top - 3, cx - h + 4, r.bottom + 3);
    s.frameRight = Rect(cx + h - 4, r.top - 3, r.right, r.bottom + 3);
    const PixelRect& a = s.frameLeft;
    const PixelRect& b = s.frameRight;

    const int32_t width = r.right - r.left;
    s.x1 = BandX(r.left, width, domain.defaultClock, domain.min, domain.max);
    s.hasRed = domain.max > domain.defaultMax;
    s.x2 = s.hasRed ? BandX(r.left, width, domain.defaultMax, domain.min, domain.max) : r.right - 2;

    const int32_t top = r.top - 1, bottom = r.bottom + 1;
    s.green = Rect(r.left + 2, top, s.x1, bottom);
    s.yellow = Rect(s.x1, top, s.hasRed ? s.x2 : r.right - 2, bottom);
    s.red = s.hasRed ? Rect(s.x2, top, r.right - 2, bottom) : Rect(0, 0, 0, 0);

    s.background[0] = Rect(q.left, q.top, cx, a.top);
    s.background[1] = Rect(q.left, a.bottom, cx, q.bottom);
    s.background[2] = Rect(cx, q.top, q.right, b.top);
    s.background[3] = Rect(cx, b.bottom, q.right, q.bottom);
    s.background[4] = Rect(t.left, q.top, t.right, t.top);
    s.background[5] = Rect(t.left, t.bottom, t.right, q.bottom);
    s.background[6] = Rect(q.left, q.top, a.left, q.bottom);
    s.background[7] = Rect(b.right, q.top, q.right, q.bottom);

    s.diamond[0] = PixelPoint{cx - h, cy};
    s.diamond[1] = PixelPoint{cx, cy - h};
    s.diamond[2] = PixelPoint{cx + h, cy};
    s.diamond[3] = PixelPoint{cx, cy + h};

    s.thumbEdges[0] = Rect(cx - h, cy - h, cx, cy);
    s.thumbEdges[1] = Rect(cx, cy - h, cx + h, cy);
    s.thumbEdges[2] = Rect(cx, cy, cx + h, cy + h);
    s.thumbEdges[3] = Rect(cx - h, cy, cx, cy + h);
    return s;
}

void FillDitherPattern(uint8_t bits[kDitherBytes])
{
    memset(bits, 0, kDitherBytes);
    for (int row = 0; row < 8; ++row)
        bits[row * 4] = (row % 2 == 0) ? 0xAA : 0x55;
}
