#pragma once
// Video memory for the clock test: only what the display driver hands out
// (off-screen surfaces in video memory). Never the visible screen, the chip's
// own instance memory and BIOS copy at the top, or the driver's caches:
// writing memory nobody allocated can hang the chip or spoil the desktop.
#include <stdint.h>

// One granted block as the CPU sees it while locked: `rows` rows of
// `rowWords` 32-bit words, `pitchWords` apart. Only the bits of `bitMask`
// are stored (a 32-bit XRGB surface does not keep its X byte), so only those
// are compared.
struct VideoBlockView {
    volatile uint32_t* base;
    uint32_t rowWords;
    uint32_t rows;
    uint32_t pitchWords;
    uint32_t bitMask;
};

enum class VideoBlocksResult : uint32_t {
    Ok,
    Lost,    // the blocks were lost (a display mode change): Restore, then write them again
    Failed,  // the system refused; the test cannot go on
};

class VideoBlocks {
public:
    // Takes as many blocks as the driver grants, up to the free video memory
    // it reports. The number of blocks; 0 when the test is unavailable, with
    // the reason in `why` (such as "needs DirectX 3 or later").
    virtual uint32_t Open(char* why, uint32_t whySize) = 0;
    // Gives every block back; safe to call when nothing is open.
    virtual void Close() = 0;
    virtual uint32_t BlockCount() = 0;
    virtual uint32_t BlockBytes(uint32_t block) = 0;  // rowWords * rows * 4
    // Locked without the system-wide lock (a locked surface must not freeze
    // the machine); Unlock after every successful Lock.
    virtual VideoBlocksResult Lock(uint32_t block, VideoBlockView* view) = 0;
    virtual void Unlock(uint32_t block) = 0;
    // The chip copies block `from` into block `to` (same size) with its own
    // engine, which runs on the graphics core clock. Returns when the copy is done.
    virtual VideoBlocksResult Copy(uint32_t from, uint32_t to) = 0;
    // After Lost: makes every block usable again; their contents are gone.
    virtual VideoBlocksResult Restore() = 0;

protected:
    ~VideoBlocks() = default;
};
