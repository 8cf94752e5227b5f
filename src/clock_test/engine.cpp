#include "clock_test/engine.h"

#include "clock_test/patterns.h"

namespace {

// A row is worked through in pieces that lie within one chunk of the
// pattern's table; what a verifying sweep reads of a piece is kept here.
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

// The loops below take plain restricted pointers: the block is locked and
// nothing else writes it until Unlock, which the compiler cannot see through,
// and the pointers must not be thought to alias for the loops to stay tight.
// Expected words are table[i] ^ key, the key carrying the sweep's inversion.

void WriteWords(uint32_t* __restrict words, const uint32_t* __restrict table, uint32_t count, uint32_t key)
{
    for (uint32_t i = 0; i < count; ++i)
        words[i] = table[i] ^ key;
}

// Each word is read once: what was read is both compared and, should the
// piece hold an error, counted, so an error that would not show on a second
// read (what a marginal clock makes) is counted all the same.
uint32_t VerifyWords(const uint32_t* __restrict words, const uint32_t* __restrict table, uint32_t count,
                     uint32_t key, uint32_t* __restrict seen)
{
    uint32_t bad = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t word = words[i];
        seen[i] = word;
        bad |= word ^ table[i] ^ key;
    }
    return bad;
}

// Each word read, then its complement written, before the next word is
// touched: up or down the piece.
uint32_t VerifyInvertUp(uint32_t* __restrict words, const uint32_t* __restrict table, uint32_t count, uint32_t key,
                        uint32_t* __restrict seen)
{
    uint32_t bad = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t word = words[i];
        seen[i] = word;
        bad |= word ^ table[i] ^ key;
        words[i] = table[i] ^ ~key;
    }
    return bad;
}

uint32_t VerifyInvertDown(uint32_t* __restrict words, const uint32_t* __restrict table, uint32_t count,
                          uint32_t key, uint32_t* __restrict seen)
{
    uint32_t bad = 0;
    for (uint32_t i = count; i-- > 0;) {
        const uint32_t word = words[i];
        seen[i] = word;
        bad |= word ^ table[i] ^ key;
        words[i] = table[i] ^ ~key;
    }
    return bad;
}

// Only a piece that held an error is looked at word by word, in what was read.
void RecordPieceErrors(const uint32_t* seen, const uint32_t* table, uint32_t count, uint32_t key, uint32_t mask,
                       uint32_t block, uint32_t byteOffset, MemTestErrors* errors)
{
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t bad = (seen[i] ^ table[i] ^ key) & mask;
        if (bad)
            RecordError(errors, block, byteOffset + i * 4, bad);
    }
}

// One piece: `count` words of the row from `start`, whose first is the
// memory's word number `number`.
void SweepPiece(MemTest* test, const PatternPlan& plan, const Sweep& sweep, const VideoBlockView& view,
                uint32_t* rowWords, uint32_t block, uint32_t rowIndex, uint32_t start, uint32_t count, uint32_t number)
{
    const uint32_t* table = test->table + number % plan.chunkWords;
    const uint32_t key = plan.key(number / plan.chunkWords, test->passSeed) ^ (sweep.inverted ? 0xFFFFFFFFu : 0u);
    uint32_t* words = rowWords + start;
    uint32_t seen[kPieceWords];
    uint32_t bad = 0;
    switch (sweep.kind) {
    case SweepKind::Write:
        WriteWords(words, table, count, key);
        return;
    case SweepKind::Verify:
        bad = VerifyWords(words, table, count, key, seen);
        break;
    case SweepKind::VerifyThenWrite:
        bad = sweep.descending ? VerifyInvertDown(words, table, count, key, seen)
                               : VerifyInvertUp(words, table, count, key, seen);
        break;
    case SweepKind::Copy:
        return;
    }
    if (bad & view.bitMask)
        RecordPieceErrors(seen, table, count, key, view.bitMask, block, (rowIndex + start) * 4, &test->totals.errors);
}

// One row of a block, in pieces, in the sweep's direction.
void SweepRow(MemTest* test, const PatternPlan& plan, const Sweep& sweep, const VideoBlockView& view,
              uint32_t block, uint32_t row, uint32_t firstWord)
{
    uint32_t* rowWords = const_cast<uint32_t*>(view.base + row * view.pitchWords);
    const uint32_t rowIndex = row * view.rowWords;  // of the row's first word in the block
    const uint32_t rowNumber = firstWord + rowIndex;
    const uint32_t chunk = plan.chunkWords;
    if (sweep.descending) {
        for (uint32_t end = view.rowWords; end > 0;) {
            const uint32_t intoChunk = (rowNumber + end - 1) % chunk + 1;
            uint32_t count = end < kPieceWords ? end : kPieceWords;
            count = count < intoChunk ? count : intoChunk;
            end -= count;
            SweepPiece(test, plan, sweep, view, rowWords, block, rowIndex, end, count, rowNumber + end);
        }
    } else {
        for (uint32_t start = 0; start < view.rowWords;) {
            const uint32_t leftInChunk = chunk - (rowNumber + start) % chunk;
            uint32_t count = view.rowWords - start < kPieceWords ? view.rowWords - start : kPieceWords;
            count = count < leftInChunk ? count : leftInChunk;
            SweepPiece(test, plan, sweep, view, rowWords, block, rowIndex, start, count, rowNumber + start);
            start += count;
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

// The pass's seed and the table of its pattern.
void PreparePass(MemTest* test)
{
    test->passSeed = PassSeed(test->seed, test->totals.passes);
    FindPatternPlan(test->patterns[test->patternIndex])->table(test->table, test->passSeed);
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
    if (test->patternCount > 0)
        PreparePass(test);
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
    PreparePass(test);
    return MemTestStatus::PassDone;
}

uint32_t MemTestMBPerSecond(uint64_t bytes, uint32_t milliseconds)
{
    if (milliseconds == 0)
        return 0;
    const uint64_t rate = bytes / milliseconds / 1000;
    return rate > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(rate);
}
