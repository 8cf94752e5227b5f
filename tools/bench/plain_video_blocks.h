#pragma once
// Plain memory as the clock test's video memory, for the engine's benchmarks:
// a buffer the caller owns, in 1 MiB blocks (as the DirectDraw seam hands out
// video memory), rows of 1024 words.
#include <stdint.h>

#include "platform/video_blocks.h"

class PlainVideoBlocks final : public VideoBlocks {
public:
    PlainVideoBlocks(uint32_t* words, uint32_t mib) : words_(words), blocks_(mib) {}
    uint32_t Open(char*, uint32_t) override { return blocks_; }
    void Close() override {}
    uint32_t BlockCount() override { return blocks_; }
    uint32_t BlockBytes(uint32_t) override { return 1u << 20; }
    VideoBlocksResult Lock(uint32_t block, VideoBlockView* view) override
    {
        *view = {Block(block), 1024, 256, 1024, 0xFFFFFFFFu};
        return VideoBlocksResult::Ok;
    }
    void Unlock(uint32_t) override {}
    VideoBlocksResult Copy(uint32_t from, uint32_t to) override
    {
        const uint32_t* source = Block(from);
        uint32_t* target = Block(to);
        for (uint32_t i = 0; i < (1u << 18); ++i)
            target[i] = source[i];
        return VideoBlocksResult::Ok;
    }
    VideoBlocksResult Restore() override { return VideoBlocksResult::Ok; }

private:
    uint32_t* Block(uint32_t block) { return words_ + (static_cast<uintptr_t>(block) << 18); }

    uint32_t* words_;
    uint32_t blocks_;
};

// Slices as large as the clock test dialog's.
const uint32_t kBenchSliceBytes = 64 * 1024;
