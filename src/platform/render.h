#pragma once
// A fixed 3D scene rendered by the chip, for the graphics core test: what
// breaks first at a too-high core clock is the 3D pipeline (triangle set-up,
// texturing, filtering, blending, the Z test), not the 2D copies. The frame
// is rendered off-screen in video memory and handed to the CPU to compare.
#include <stdint.h>

#include "platform/video_blocks.h"

// The frame as the CPU sees it while locked: `rows` rows of `rowWords`
// 32-bit words, `pitchWords` apart, each word holding `pixelsPerWord` pixels
// (1 at 32 bits, 2 at 16 bits). Only the bits of `bitMask` are carried by the
// display's format (not the X byte of XRGB, nor the X bit of 1555): only
// those are compared.
struct RenderFrameView {
    const volatile uint32_t* base;
    uint32_t rowWords;
    uint32_t rows;
    uint32_t pitchWords;
    uint32_t bitMask;
    uint32_t pixelsPerWord;
};

class SceneRender {
public:
    // Makes the off-screen surface, its Z buffer and the textures in video
    // memory. 1 when the scene can be rendered; 0 with the reason in `why`
    // (such as "needs DirectX 6 or later").
    virtual uint32_t Open(char* why, uint32_t whySize) = 0;
    // Gives everything back; safe to call when nothing is open.
    virtual void Close() = 0;
    // Renders the scene once, the same every time; returns when the chip is done.
    virtual VideoBlocksResult Draw() = 0;
    // The frame last drawn; Unlock after every successful Lock.
    virtual VideoBlocksResult Lock(RenderFrameView* view) = 0;
    virtual void Unlock() = 0;
    // After Lost (a display mode change): the surfaces back and the textures
    // made again; the frame must be drawn anew.
    virtual VideoBlocksResult Restore() = 0;

protected:
    ~SceneRender() = default;
};
