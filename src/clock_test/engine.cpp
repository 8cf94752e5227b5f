#include "clock_test/engine.h"

#include "clock_test/patterns.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The expected words are made a piece of a row at a time, in a buffer small
// enough for the stack of any thread and for the first-level cache.
const uint32_t kPieceWords = 256;

enum class Step { Done, Lost, Failed };

bool IsCopySource(VideoBlocks* memory, uint32_t block, uint32_t blockCount)
{
    return (block & 1) == 0 && block + 1 < blockCount &&
           memory->BlockBytes(block) == memory->BlockBytes(block + 1);
}

bool TakesPart(const Sweep& sweep, VideoBlocks* memory, uint32_t block, uint32_t blockCount)
{
    switch (sweep.blocks) {
    case SweepBlocks::CopySources:
        return IsCopySource(memory, block, blockCount);
    case SweepBlocks::CopyTargets:
        return (block & 1) == 1 && IsCopySource(memory, block - 1, blockCount);
    default:
        return true;
    }
}

// The number of the block's first word in the whole memory. A copy target
// expects its source's words.
uint32_t FirstWordOf(VideoBlocks* memory, const Sweep& sweep, uint32_t block)
{
    if (sweep.blocks == SweepBlocks::CopyTargets)
        --block;
    uint32_t first = 0;
    for (uint32_t b = 0; b < block; ++b)
        first += memory->BlockBytes(b) / 4;
    return first;
}

void RecordError(MemTestErrors* errors, uint32_t block, uint32_t byteOffset, uint32_t bits)
{
    if (errors->count == 0) {
        errors->firstBlock = block;
        errors->firstOffset = byteOffset;
    }
    if (errors->count != 0xFFFFFFFFu)
        ++errors->count;
    errors->failingBits |= bits;
}

struct Piece {
    uint32_t* words;           // in the block
    const uint32_t* expected;  // what the pattern wants there, before any inversion
    uint32_t count;
    uint32_t flip;  // 0, or all ones when the sweep expects (or writes) the complement
    uint32_t mask;  // the bits the memory keeps
    uint32_t block;
    uint32_t byteOffset;  // of words[0] in the block
};

void RecordPieceErrors(const Piece& piece, MemTestErrors* errors)
{
    for (uint32_t i = 0; i < piece.count; ++i) {
        const uint32_t bad = (piece.words[i] ^ piece.expected[i] ^ piece.flip) & piece.mask;
        if (bad)
            RecordError(errors, piece.block, piece.byteOffset + i * 4, bad);
    }
}

// The loops work on locals: stores into the block could otherwise alias the
// piece's own fields and keep the compiler from vectorising them.
void WritePiece(const Piece& piece)
{
    uint32_t* const words = piece.words;
    const uint32_t* const expected = piece.expected;
    const uint32_t count = piece.count, flip = piece.flip;
    uint32_t i = 0;
#if defined(__SSE2__)
    // Where the processor can, the words go past its caches: a verifying
    // sweep must read them back from the memory, not from a cache that still
    // holds them (on plain memory smaller than the cache it otherwise would).
    // Video memory behind the aperture is not cached either way.
    if ((reinterpret_cast<uintptr_t>(words) & 15) == 0) {
        const __m128i invert = _mm_set1_epi32(static_cast<int>(flip));
        for (; i + 4 <= count; i += 4) {
            const __m128i value = _mm_loadu_si128(reinterpret_cast<const __m128i*>(expected + i));
            _mm_stream_si128(reinterpret_cast<__m128i*>(words + i), _mm_xor_si128(value, invert));
        }
    }
#endif
    for (; i < count; ++i)
        words[i] = expected[i] ^ flip;
}

// The common case costs one pass of loads and XORs; only a piece that holds
// an error is looked at word by word.
void VerifyPiece(const Piece& piece, MemTestErrors* errors)
{
    const uint32_t* const words = piece.words;
    const uint32_t* const expected = piece.expected;
    const uint32_t count = piece.count, flip = piece.flip;
    uint32_t bad = 0;
    for (uint32_t i = 0; i < count; ++i)
        bad |= words[i] ^ expected[i] ^ flip;
    if (bad & piece.mask)
        RecordPieceErrors(piece, errors);
}

// Moving inversions: each word is checked and then inverted before the next
// is touched, up or down the piece.
void CheckAndInvert(const Piece& piece, uint32_t i, MemTestErrors* errors)
{
    const uint32_t want = piece.expected[i] ^ piece.flip;
    const uint32_t bad = (piece.words[i] ^ want) & piece.mask;
    if (__builtin_expect(bad != 0, 0))
        RecordError(errors, piece.block, piece.byteOffset + i * 4, bad);
    piece.words[i] = ~want;
}

void VerifyThenInvertPiece(const Piece& piece, bool descending, MemTestErrors* errors)
{
    if (descending) {
        for (uint32_t i = piece.count; i-- > 0;)
            CheckAndInvert(piece, i, errors);
    } else {
        for (uint32_t i = 0; i < piece.count; ++i)
            CheckAndInvert(piece, i, errors);
    }
}

// One row of a block, in pieces, in the sweep's direction.
void SweepRow(MemTest* test, const PatternPlan& plan, const Sweep& sweep, const VideoBlockView& view,
              uint32_t block, uint32_t row, uint32_t firstWord)
{
    // The block is locked and nothing else writes it until Unlock, which the
    // compiler cannot see through: the plain pointer lets the loops run at
    // the speed of the memory.
    uint32_t* rowWords = const_cast<uint32_t*>(view.base + row * view.pitchWords);
    uint32_t expected[kPieceWords];
    const uint32_t pieces = (view.rowWords + kPieceWords - 1) / kPieceWords;
    for (uint32_t n = 0; n < pieces; ++n) {
        const uint32_t p = sweep.descending ? pieces - 1 - n : n;
        const uint32_t start = p * kPieceWords;
        const uint32_t count = view.rowWords - start < kPieceWords ? view.rowWords - start : kPieceWords;
        const uint32_t index = row * view.rowWords + start;
        plan.words(expected, count, firstWord + index, test->passSeed);
        const Piece piece = {rowWords + start, expected, count, sweep.inverted ? 0xFFFFFFFFu : 0u,
                             view.bitMask, block, index * 4};
        switch (sweep.kind) {
        case SweepKind::Write:
            WritePiece(piece);
            break;
        case SweepKind::Verify:
            VerifyPiece(piece, &test->totals.errors);
            break;
        case SweepKind::VerifyThenWrite:
            VerifyThenInvertPiece(piece, sweep.descending, &test->totals.errors);
            break;
        case SweepKind::Copy:
            break;
        }
    }
    if (sweep.kind == SweepKind::Verify || sweep.kind == SweepKind::VerifyThenWrite)
        test->totals.bytesTested += view.rowWords * 4;
}

// Rows of one block until the budget is spent (at least one row) or the
// block is done. *spent grows by the bytes swept.
Step SweepBlock(MemTest* test, const PatternPlan& plan, const Sweep& sweep, uint32_t block, uint32_t budget,
                uint32_t* spent)
{
    VideoBlocks* memory = test->memory;
    VideoBlockView view;
    const VideoBlocksResult locked = memory->Lock(block, &view);
    if (locked != VideoBlocksResult::Ok)
        return locked == VideoBlocksResult::Lost ? Step::Lost : Step::Failed;
    if (view.rows == 0 || view.rowWords == 0 || view.rowWords > view.pitchWords) {
        memory->Unlock(block);
        return Step::Failed;
    }
    const uint32_t firstWord = FirstWordOf(memory, sweep, block);
    const uint32_t rowBytes = view.rowWords * 4;
    do {
        const uint32_t row = sweep.descending ? view.rows - 1 - test->row : test->row;
        SweepRow(test, plan, sweep, view, block, row, firstWord);
        *spent += rowBytes;
        ++test->row;
    } while (test->row < view.rows && *spent < budget);
#if defined(__SSE2__)
    _mm_sfence();  // the streamed words are in the memory before it is unlocked
#endif
    memory->Unlock(block);
    if (test->row >= view.rows) {
        test->row = 0;
        ++test->block;
    }
    return Step::Done;
}

Step CopyBlock(MemTest* test, uint32_t block, uint32_t* spent)
{
    const VideoBlocksResult copied = test->memory->Copy(block, block + 1);
    if (copied != VideoBlocksResult::Ok)
        return copied == VideoBlocksResult::Lost ? Step::Lost : Step::Failed;
    *spent += test->memory->BlockBytes(block);
    ++test->block;
    return Step::Done;
}

// A pass that would touch nothing (copies need two blocks of one size)
// would spin without end.
bool CanRun(const PatternPlan& plan, VideoBlocks* memory, uint32_t blockCount)
{
    for (uint32_t i = 0; i < plan.sweepCount; ++i) {
        if (plan.sweeps[i].blocks != SweepBlocks::All && !IsCopySource(memory, 0, blockCount))
            return false;
    }
    return true;
}

uint32_t PassSeed(uint32_t seed, uint32_t passes)
{
    return MixWord(seed ^ MixWord(passes + 0x9E3779B9u));
}

void StartPass(MemTest* test)
{
    test->sweep = 0;
    test->block = 0;
    test->row = 0;
}

}  // namespace

void MemTestBegin(MemTest* test, VideoBlocks* memory, const MemTestPattern* patterns, uint32_t count,
                  uint32_t seed)
{
    *test = MemTest();
    test->memory = memory;
    for (uint32_t i = 0; i < count && test->patternCount < kMemTestMaxPatterns; ++i) {
        if (FindPatternPlan(patterns[i]))
            test->patterns[test->patternCount++] = patterns[i];
    }
    test->seed = seed;
    test->passSeed = PassSeed(seed, 0);
}

MemTestStatus MemTestContinue(MemTest* test, uint32_t bytes)
{
    if (!test->memory || test->patternCount == 0)
        return MemTestStatus::Failed;
    const uint32_t blockCount = test->memory->BlockCount();
    if (blockCount == 0)
        return MemTestStatus::Failed;
    const PatternPlan& plan = *FindPatternPlan(test->patterns[test->patternIndex]);
    if (!CanRun(plan, test->memory, blockCount))
        return MemTestStatus::Failed;
    uint32_t spent = 0;
    while (test->sweep < plan.sweepCount) {
        const Sweep& sweep = plan.sweeps[test->sweep];
        if (test->block >= blockCount) {
            ++test->sweep;
            test->block = 0;
            test->row = 0;
            continue;
        }
        const uint32_t block = sweep.descending ? blockCount - 1 - test->block : test->block;
        if (!TakesPart(sweep, test->memory, block, blockCount)) {
            ++test->block;
            continue;
        }
        if (spent > 0 && spent >= bytes)
            return MemTestStatus::Working;
        const Step step = sweep.kind == SweepKind::Copy ? CopyBlock(test, block, &spent)
                                                        : SweepBlock(test, plan, sweep, block, bytes, &spent);
        if (step == Step::Failed)
            return MemTestStatus::Failed;
        if (step == Step::Lost) {
            // The contents went with the surfaces (a display mode change):
            // what was written is gone, so the pass starts again. Not an error.
            StartPass(test);
            return test->memory->Restore() == VideoBlocksResult::Failed ? MemTestStatus::Failed
                                                                         : MemTestStatus::Working;
        }
    }
    ++test->totals.passes;
    StartPass(test);
    test->patternIndex = (test->patternIndex + 1) % test->patternCount;
    test->passSeed = PassSeed(test->seed, test->totals.passes);
    return MemTestStatus::PassDone;
}

uint32_t MemTestMBPerSecond(uint64_t bytes, uint32_t milliseconds)
{
    if (milliseconds == 0)
        return 0;
    const uint64_t rate = bytes / milliseconds / 1000;
    return rate > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(rate);
}
