#include "sim/sim_video_blocks.h"

#include <string.h>

namespace {

const double kWordsPerMiB = 262144.0;
// Chance weights of a written word, in sixteenths: one per bit that switches
// against the word below, and one sixteenth for a word that switches none.
// Random data averages 16 switching bits (weight 257), the most is 32 (513).
const uint32_t kConstantWeight = 1;
const uint32_t kMaxWeight = 32 * 16 + kConstantWeight;
const double kRandomDataWeight = 16.0 * 16 + kConstantWeight;

// Whether a clock reads as more than `limitMHz` in whole MHz, halves going up.
bool AboveWholeMHz(double mhz, uint32_t limitMHz)
{
    return mhz >= limitMHz + 0.5;
}

uint32_t BitCount(uint32_t x)
{
    uint32_t count = 0;
    for (; x; x &= x - 1)
        ++count;
    return count;
}

}  // namespace

void SimVideoBlocks::SetStorage(uint32_t* words, uint32_t capacityBytes)
{
    memory_ = words;
    written_ = words ? words + capacityBytes / 4 : nullptr;
    capacityBytes_ = words ? capacityBytes : 0;
}

void SimVideoBlocks::SetLimits(const SimVideoBlocksLimits& limits)
{
    limits_ = limits;
    random_.Seed(limits.seed, 0x9E3779B97F4A7C15ull);
    untilNextError_ = 0;
    rateOfGap_ = 0;
    hung_ = false;  // a machine set up anew runs again
}

void SimVideoBlocks::SetHangHook(SimHangHook hook, void* context)
{
    hangHook_ = hook;
    hangContext_ = context;
}

double SimVideoBlocks::ErrorsPerMiB(double excessMHz)
{
    if (!(excessMHz > 0))
        return 0;
    const double rate = 0.75 * excessMHz * excessMHz * excessMHz;
    return rate < kWordsPerMiB ? rate : kWordsPerMiB;
}

double SimVideoBlocks::MemoryMHz() const
{
    return chip_->MemoryMHz(family_);
}

double SimVideoBlocks::GraphicsMHz() const
{
    return chip_->GraphicsMHz();
}

uint32_t SimVideoBlocks::Open(char* why, uint32_t whySize)
{
    Close();
    const uint32_t mib = chip_->VideoMemoryMiB(family_);
    if (mib == 0) {
        SimSayWhy(why, whySize, "the board has no video memory of its own");
        return 0;
    }
    if (!memory_ || mib > capacityBytes_ >> 20) {
        SimSayWhy(why, whySize, "the simulated video memory has no storage");
        return 0;
    }
    const uint32_t bytes = mib << 20;
    uint32_t blocks = 0;
    if (bytes > kScreenBytes + kReservedTopBytes)
        blocks = (bytes - kScreenBytes - kReservedTopBytes) / kBlockBytes;
    if (blocks == 0) {
        SimSayWhy(why, whySize, "no off-screen video memory is free");
        return 0;
    }
    blockCount_ = blocks < kMaxBlocks ? blocks : kMaxBlocks;
    memcpy(written_ + kScreenBytes / 4, BlockWords(0), blockCount_ * kBlockBytes);
    pllWords_.Take(*chip_);
    lost_ = false;
    SimSayWhy(why, whySize, "");
    return blockCount_;
}

void SimVideoBlocks::Close()
{
    blockCount_ = 0;
    lost_ = false;
}

bool SimVideoBlocks::Stopped()
{
    if (!hung_ &&
        (AboveWholeMHz(MemoryMHz(), limits_.memHangMHz) || AboveWholeMHz(GraphicsMHz(), limits_.gfxHangMHz))) {
        hung_ = true;
        if (hangHook_)
            hangHook_(hangContext_);
    }
    return hung_;
}

bool SimVideoBlocks::Usable(VideoBlocksResult* result)
{
    *result = VideoBlocksResult::Failed;
    if (blockCount_ == 0 || Stopped())
        return false;
    if (family_ == SimChipFamily::GeForce256 && !lost_ && pllWords_.Changed(*chip_)) {
        lost_ = true;
        // What the blocks held is gone with them.
        memset(BlockWords(0), 0xFF, blockCount_ * kBlockBytes);
        memset(written_ + kScreenBytes / 4, 0xFF, blockCount_ * kBlockBytes);
    }
    if (lost_) {
        *result = VideoBlocksResult::Lost;
        return false;
    }
    *result = VideoBlocksResult::Ok;
    return true;
}

VideoBlocksResult SimVideoBlocks::Lock(uint32_t block, VideoBlockView* view)
{
    VideoBlocksResult result;
    if (!Usable(&result))
        return result;
    if (block >= blockCount_)
        return VideoBlocksResult::Failed;
    view->base = BlockWords(block);
    view->rowWords = kBlockRowWords;
    view->rows = kBlockBytes / 4 / kBlockRowWords;
    view->pitchWords = kBlockRowWords;
    view->bitMask = kBitMask;
    return VideoBlocksResult::Ok;
}

void SimVideoBlocks::Unlock(uint32_t block)
{
    if (block < blockCount_ && !hung_ && !lost_)
        Settle(block, ErrorsPerMiB(MemoryMHz() - limits_.memOkMHz));
}

VideoBlocksResult SimVideoBlocks::Copy(uint32_t from, uint32_t to)
{
    VideoBlocksResult result;
    if (!Usable(&result))
        return result;
    if (from >= blockCount_ || to >= blockCount_ || from == to)
        return VideoBlocksResult::Failed;
    const uint32_t* source = BlockWords(from);
    uint32_t* target = BlockWords(to);
    for (uint32_t i = 0; i < kBlockBytes / 4; ++i)
        target[i] = source[i] & kBitMask;
    // The chip reads and writes the memory at the memory clock, and its own
    // engine runs at the core clock: both can spoil the copy.
    Settle(to, ErrorsPerMiB(MemoryMHz() - limits_.memOkMHz) + ErrorsPerMiB(GraphicsMHz() - limits_.gfx2dOkMHz));
    return VideoBlocksResult::Ok;
}

VideoBlocksResult SimVideoBlocks::Restore()
{
    if (hung_ || blockCount_ == 0)
        return VideoBlocksResult::Failed;
    pllWords_.Take(*chip_);
    lost_ = false;
    return VideoBlocksResult::Ok;
}

void SimVideoBlocks::Settle(uint32_t block, double errorsPerMiB)
{
    uint32_t* words = BlockWords(block);
    uint32_t* seen = written_ + (words - memory_);
    const uint32_t count = kBlockBytes / 4;
    if (errorsPerMiB <= 0) {
        memcpy(seen, words, kBlockBytes);
        return;
    }
    // Words that may err are drawn with the rate of the worst data (every bit
    // switching); each then errs by its own weight. Gaps are uniform around
    // their mean, which keeps the rate right without a logarithm.
    const double worstPerWord = errorsPerMiB / kWordsPerMiB * kMaxWeight / kRandomDataWeight;
    const double meanGap = worstPerWord >= 1 ? 1 : 1 / worstPerWord;
    const uint32_t gapSpan = meanGap * 2 - 1 >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(meanGap * 2 - 1);
    if (errorsPerMiB != rateOfGap_ || untilNextError_ == 0) {
        untilNextError_ = 1 + (gapSpan > 1 ? random_.Next() % gapSpan : 0);
        rateOfGap_ = errorsPerMiB;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (words[i] == seen[i])
            continue;
        if (--untilNextError_ == 0) {
            untilNextError_ = 1 + (gapSpan > 1 ? random_.Next() % gapSpan : 0);
            const uint32_t switching = (words[i] ^ (i ? words[i - 1] : 0)) & kBitMask;
            const uint32_t weight = BitCount(switching) * 16 + kConstantWeight;
            if (random_.Next() % kMaxWeight < weight) {
                uint32_t bit = 1u << (random_.Next() % 24);
                const uint32_t bits = BitCount(switching);
                if (bits && random_.Next() % 16 != 0) {
                    uint32_t pick = random_.Next() % bits;
                    uint32_t rest = switching;
                    while (pick--)
                        rest &= rest - 1;
                    bit = rest & (0u - rest);
                }
                words[i] ^= bit;
            }
        }
        seen[i] = words[i];
    }
}
