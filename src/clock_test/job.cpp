#include "clock_test/job.h"

#include "app_state.h"
#include "board/chip_registers.h"
#include "clock/clock_programming.h"
#include "clock/pll_search.h"

namespace {

ClockDomain& Domain(uint32_t domain)
{
    return domain == kGfxDomain ? gApp.gfx : gApp.mem;
}

uint32_t LiveClock(uint32_t domain)
{
    return domain == kGfxDomain ? ReadGfxClock() : ReadMemClock();
}

// Only the tested domain is written; 0 leaves the other alone.
void ProgramClock(uint32_t domain, uint32_t mhz)
{
    if (domain == kGfxDomain)
        ApplyClocks(mhz, 0);
    else
        ApplyClocks(0, mhz);
}

uint32_t ReachFromChip(void* context, uint32_t targetMHz)
{
    return ReachedClock(*static_cast<uint32_t*>(context), targetMHz);
}

void CopyText(char* to, uint32_t size, const char* from)
{
    uint32_t i = 0;
    for (; i + 1 < size && from[i]; ++i)
        to[i] = from[i];
    to[i] = '\0';
}

uint32_t StepMilliseconds(const ClockTestJob& job)
{
    const uint32_t times = SearchConfirming(job.search) ? kConfirmTimesLonger : 1;
    return job.secondsPerClock * 1000 * times;
}

// The step's clock is noted before it is programmed: if it stops the machine,
// the next start knows which clock did it.
void BeginStep(ClockTestJob* job, uint32_t mhz, uint32_t nowMs)
{
    job->stepClock = mhz;
    WriteClockTestNote(ClockTestNote{mhz, job->domain, false});
    if (LiveClock(job->domain) != mhz)
        ProgramClock(job->domain, mhz);
    const bool memory = job->domain == kMemDomain;
    MemTestBegin(&job->test, gApp.platform.videoBlocks, memory ? kMemoryClockPatterns : kCoreClockPatterns,
                 memory ? kMemoryClockPatternCount : kCoreClockPatternCount, nowMs ^ (mhz << 16));
    job->stepStartMs = nowMs;
}

void AddColumn(ClockTestJob* job, uint32_t mhz, uint32_t errors)
{
    if (job->columnCount == kChartColumns) {
        for (uint32_t i = 1; i < kChartColumns; ++i)
            job->columns[i - 1] = job->columns[i];
        --job->columnCount;
    }
    job->columns[job->columnCount++] = ClockTestColumn{mhz, errors};
}

// A whole round of the domain's patterns at this clock, without errors.
bool StepRanClean(const ClockTestJob& job)
{
    return job.test.totals.errors.count == 0 && job.test.totals.passes >= job.test.patternCount;
}

// Every way out: the clocks from before the job back on the chip and read
// back, the note as it stood (or cleared by a clean test at or above its
// clock), the video memory given back.
void EndJob(ClockTestJob* job, ClockTestState state)
{
    ClockDomain& domain = Domain(job->domain);
    const uint32_t before = job->domain == kGfxDomain ? job->gfxBefore : job->memBefore;
    if (LiveClock(job->domain) != before)
        ProgramClock(job->domain, before);
    gApp.gfx.applied = ReadGfxClock();
    gApp.mem.applied = ReadMemClock();
    // A Restore from the tray during the job may have loaded the test clock
    // onto the slider: it shows the clock from before again, or the suggestion.
    const uint32_t suggestion = state == ClockTestState::Finished ? ClockTestSuggestion(*job) : 0;
    domain.selected = suggestion != 0 ? suggestion : domain.applied;
    if (domain.selected < domain.min)
        domain.min = domain.selected;

    const ClockTestNote& tooHigh = job->tooHigh;
    if (job->mode == ClockTestMode::Test && tooHigh.mhz != 0 && tooHigh.domain == job->domain &&
        job->stepClock >= tooHigh.mhz && StepRanClean(*job))
        job->tooHigh = ClockTestNote{0, kMemDomain, false};
    WriteClockTestNote(job->tooHigh);

    gApp.platform.videoBlocks->Close();
    job->state = state;
    gApp.ui.clockTestRunning = 0;
}

void EndStep(ClockTestJob* job, uint32_t nowMs)
{
    const uint32_t errors = job->test.totals.errors.count;
    AddColumn(job, job->stepClock, errors);
    WriteClockTestNote(job->tooHigh);
    SearchStepDone(&job->search, errors != 0);
    if (job->search.phase == SearchPhase::Done)
        EndJob(job, ClockTestState::Finished);
    else
        BeginStep(job, job->search.clock, nowMs);
}

// A part that keeps its frame buffer in system memory has no video memory of
// its own to test.
int OpenVideoBlocks(char* why, uint32_t whySize)
{
    VideoBlocks* memory = gApp.platform.videoBlocks;
    if (ReadVideoMemoryMiB(gApp.boardKind, gApp.registers) == 0) {
        CopyText(why, whySize, "the board shares system memory");
        return 0;
    }
    if (!memory) {
        CopyText(why, whySize, "needs DirectX 3 or later");
        return 0;
    }
    if (memory->Open(why, whySize) == 0) {
        memory->Close();
        return 0;
    }
    return 1;
}

}  // namespace

int ClockTestAvailable(char* why, uint32_t whySize)
{
    if (!OpenVideoBlocks(why, whySize))
        return 0;
    gApp.platform.videoBlocks->Close();
    return 1;
}

int ClockTestBegin(ClockTestJob* job, ClockTestMode mode, uint32_t domain, uint32_t secondsPerClock,
                   uint32_t nowMs)
{
    *job = ClockTestJob{};
    job->mode = mode;
    job->domain = domain;
    job->secondsPerClock = secondsPerClock;
    if (!OpenVideoBlocks(job->why, sizeof job->why)) {
        job->state = ClockTestState::Failed;
        return 0;
    }
    job->state = ClockTestState::Running;
    gApp.ui.clockTestRunning = 1;
    job->gfxBefore = ReadGfxClock();
    job->memBefore = ReadMemClock();
    job->tooHigh = ReadClockTestNote();
    job->jobStartMs = nowMs;
    const uint32_t start = LiveClock(domain);
    if (mode == ClockTestMode::Test) {
        BeginStep(job, start, nowMs);
        return 1;
    }
    job->ceiling = SearchCeiling(Domain(domain).max, domain, job->tooHigh);
    SearchBegin(&job->search, ClockReach{ReachFromChip, &job->domain}, start, job->ceiling);
    if (job->search.phase == SearchPhase::Done)
        EndJob(job, ClockTestState::Finished);
    else
        BeginStep(job, start, nowMs);
    return 1;
}

ClockTestState ClockTestSlice(ClockTestJob* job, uint32_t bytes, uint32_t nowMs)
{
    if (job->state != ClockTestState::Running)
        return job->state;
    if (MemTestContinue(&job->test, bytes) == MemTestStatus::Failed) {
        CopyText(job->why, sizeof job->why, "the video memory could not be used any more");
        EndJob(job, ClockTestState::Failed);
        return job->state;
    }
    if (job->mode == ClockTestMode::Test) {
        job->columnCount = 0;
        AddColumn(job, job->stepClock, job->test.totals.errors.count);
        return job->state;
    }
    const bool errors = job->test.totals.errors.count != 0;
    const bool longEnough =
        job->test.totals.passes >= job->test.patternCount && nowMs - job->stepStartMs >= StepMilliseconds(*job);
    if (errors || longEnough)
        EndStep(job, nowMs);
    return job->state;
}

void ClockTestStop(ClockTestJob* job)
{
    if (job->state == ClockTestState::Running)
        EndJob(job, ClockTestState::Stopped);
}

bool ClockTestRunning(const ClockTestJob& job)
{
    return job.state == ClockTestState::Running;
}

uint32_t ClockTestStepPercent(const ClockTestJob& job, uint32_t nowMs)
{
    const uint32_t patterns = job.test.patternCount ? job.test.patternCount : 1;
    if (job.mode == ClockTestMode::Test)
        return job.test.totals.passes % patterns * 100 / patterns;
    const uint32_t passPercent = job.test.totals.passes >= patterns ? 100 : job.test.totals.passes * 100 / patterns;
    // At most 600 s six times over: a hundred times that still fits in 32 bits.
    const uint32_t elapsed = nowMs - job.stepStartMs;
    const uint32_t wanted = StepMilliseconds(job);
    const uint32_t timePercent = elapsed >= wanted ? 100 : elapsed * 100 / wanted;
    return passPercent < timePercent ? passPercent : timePercent;
}

uint32_t ClockTestSuggestion(const ClockTestJob& job)
{
    if (job.mode != ClockTestMode::FindHighest || job.search.phase != SearchPhase::Done)
        return 0;
    const uint32_t clean = SearchHighestClean(job.search);
    return clean == 0 ? 0 : SuggestedClock(clean);
}
