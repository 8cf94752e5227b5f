#pragma once
// The simulated board's video memory as its "DirectDraw" hands it to the
// clock test, with the faults of an overclocked board.
//
// Layout: the visible screen (1024 x 768 at 32 bits, 3 MiB) at the bottom,
// the chip's instance memory in the top 1 MiB; the 1 MiB blocks between them
// are what the test gets (none on a 4 MiB board). The size is what the chip's
// memory configuration register reports (SimChip::VideoMemoryMiB), read at Open.
//
// Errors: above the memory clock `memOkMHz` words written err at a rate that
// rises with the cube of the excess (0.75 words per MiB of random data 1 MHz
// above, 20 at 3 MHz), far more on bits that switch against the word below
// than on constant data; the chip's copies also err above `gfx2dOkMHz` (its
// 2D engine tolerates more than the 3D pipeline, see sim_render.h). One
// flipped bit per word in error, chosen from one generator seeded by `seed`:
// the same run gives the same errors. Above `memHangMHz` or `gfxHangMHz` the
// machine stops at the next use of the memory: the hang hook runs (the
// velkor-sim.exe one ends the process at once), and if it returns every
// call fails from then on.
//
// On a GeForce 256 a change of either PLL word loses the blocks, as the
// display mode reset after each clock write does on the real board.
#include <stdint.h>

#include "platform/video_blocks.h"
#include "sim/sim_chip.h"
#include "sim/sim_faults.h"

struct SimVideoBlocksLimits {
    uint32_t memOkMHz = 0;
    uint32_t gfxOkMHz = 0;    // the 3D pipeline (sim_render.h)
    uint32_t gfx2dOkMHz = 0;  // the chip's copies
    uint32_t memHangMHz = 0;
    uint32_t gfxHangMHz = 0;
    uint32_t seed = 0;
};

typedef void (*SimHangHook)(void* context);

class SimVideoBlocks final : public VideoBlocks {
public:
    static const uint32_t kScreenBytes = 3u << 20;
    static const uint32_t kReservedTopBytes = 1u << 20;
    static const uint32_t kBlockBytes = 1u << 20;
    static const uint32_t kBlockRowWords = 512;
    static const uint32_t kBitMask = 0x00FFFFFF;  // 32-bit XRGB: copies do not keep the X byte
    static const uint32_t kMaxBlocks = 64;

    explicit SimVideoBlocks(SimChip* chip) : chip_(chip) {}

    // Memory for the board: `words` holds capacityBytes * 2 (the memory and
    // a copy of what it held at the last Unlock, to find what was written).
    // Owned by the caller; without it Open finds no video memory.
    void SetStorage(uint32_t* words, uint32_t capacityBytes);
    void SetBoard(SimChipFamily family) { family_ = family; }
    void SetLimits(const SimVideoBlocksLimits& limits);
    void SetHangHook(SimHangHook hook, void* context);
    bool Hung() const { return hung_; }

    uint32_t Open(char* why, uint32_t whySize) override;
    void Close() override;
    uint32_t BlockCount() override { return blockCount_; }
    uint32_t BlockBytes(uint32_t block) override { return block < blockCount_ ? kBlockBytes : 0; }
    VideoBlocksResult Lock(uint32_t block, VideoBlockView* view) override;
    void Unlock(uint32_t block) override;
    VideoBlocksResult Copy(uint32_t from, uint32_t to) override;
    VideoBlocksResult Restore() override;

    // Bit errors expected per MiB of random data at `excessMHz` above the
    // clock that is still clean (0 at or below it).
    static double ErrorsPerMiB(double excessMHz);

    double GraphicsMHz() const;
    // Whether the machine has stopped: once a clock is above its hang limit,
    // the hang hook runs (once) and everything fails from then on.
    bool Stopped();

private:
    double MemoryMHz() const;
    // False after a hang or while the blocks are lost; *result says which.
    bool Usable(VideoBlocksResult* result);
    // Writes reach the memory: the words of the block that changed since
    // the last time err at `errorsPerMiB`; the copy is brought up to date.
    void Settle(uint32_t block, double errorsPerMiB);
    uint32_t* BlockWords(uint32_t block) const { return memory_ + (kScreenBytes + block * kBlockBytes) / 4; }

    SimChip* chip_;
    SimChipFamily family_ = SimChipFamily::RivaTnt2;
    uint32_t* memory_ = nullptr;
    uint32_t* written_ = nullptr;  // what the memory held at the last Settle
    uint32_t capacityBytes_ = 0;
    SimVideoBlocksLimits limits_;
    SimHangHook hangHook_ = nullptr;
    void* hangContext_ = nullptr;
    bool hung_ = false;
    bool lost_ = false;
    uint32_t blockCount_ = 0;
    SimPllWords pllWords_;  // at Open or Restore, for the GeForce's lost blocks
    SimFaultRandom random_;
    uint32_t untilNextError_ = 0;  // words written before the next one that may err
    double rateOfGap_ = 0;         // the rate untilNextError_ was drawn at
};
