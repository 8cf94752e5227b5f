#include "clock_test/job.h"

#include "app_state.h"
#include "board/chip_registers.h"
#include "clock/clock_programming.h"
#include "clock/pll_search.h"

namespace {

// The core test's reference frame: too large for the job itself.
uint32_t gReferenceFrame[kCoreReferenceWords];

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

uint32_t Larger(uint32_t a, uint32_t b)
{
    return a > b ? a : b;
}

uint32_t StepMilliseconds(const ClockTestJob& job)
{
    const uint32_t times = SearchConfirming(job.search) ? kConfirmTimesLonger : 1;
    return job.secondsPerClock * 1000 * times;
}

// The work of a step on the domain's hardware: the memory clock's patterns,
// or the graphics core's own copies. Started once the clock is on the chip,
// continued slice by slice; the errors land in job->test.totals.
void StartStepWork(ClockTestJob* job, uint32_t nowMs)
{
    const bool memory = job->domain == kMemDomain;
    MemTestBegin(&job->test, gApp.platform.videoBlocks, memory ? kMemoryClockPatterns : kCoreClockPatterns,
                 memory ? kMemoryClockPatternCount : kCoreClockPatternCount, nowMs ^ (job->stepClock << 16));
    CoreCheckStep(&job->core);
}

// The graphics core's step renders frames before each copy pass.
bool ContinueStepWork(ClockTestJob* job, uint32_t bytes)
{
    const MemTestStatus status = job->domain == kGfxDomain ? CoreCheckContinue(&job->core, &job->test, bytes)
                                                           : MemTestContinue(&job->test, bytes);
    return status != MemTestStatus::Failed;
}

// The step's clock is noted before it is programmed: if it stops the machine,
// the next start knows which clock did it.
void BeginStep(ClockTestJob* job, uint32_t mhz, uint32_t nowMs)
{
    job->stepClock = mhz;
    ++job->steps;
    WriteClockTestNote(ClockTestNote{mhz, job->domain, false});
    if (LiveClock(job->domain) != mhz)
        ProgramClock(job->domain, mhz);
    StartStepWork(job, nowMs);
    job->stepStartMs = nowMs;
}

void AddColumn(ClockTestJob* job, uint32_t mhz, uint32_t errors, bool confirming)
{
    if (job->columnCount == kChartColumns) {
        for (uint32_t i = 1; i < kChartColumns; ++i)
            job->columns[i - 1] = job->columns[i];
        --job->columnCount;
    }
    job->columns[job->columnCount++] = ClockTestColumn{mhz, errors, confirming};
}

// A whole round of the domain's patterns at this clock, without errors.
bool StepRanClean(const ClockTestJob& job)
{
    return job.test.totals.errors.count == 0 && job.test.totals.passes >= job.test.patternCount;
}

ClockTestEnd EndOfSearch(const ClockTestJob& job)
{
    switch (job.search.end) {
    case SearchEnd::Found:
        return ClockTestEnd::Found;
    case SearchEnd::AtCeiling:
        // The ceiling sits just below a noted clock only when the note set it.
        return job.tooHigh.mhz != 0 && job.ceiling + 1 == job.tooHigh.mhz ? ClockTestEnd::CleanToNote
                                                                         : ClockTestEnd::CleanToLimit;
    case SearchEnd::AtPllReach:
        return ClockTestEnd::CleanToReach;
    case SearchEnd::AboveCeiling:
        return ClockTestEnd::AboveCeiling;
    default:
        return ClockTestEnd::NoneClean;
    }
}

// The suggestion fits the slider's range; a limit is never moved for it.
uint32_t Suggestion(const ClockTestJob& job)
{
    const ClockDomain& domain = Domain(job.domain);
    uint32_t suggestion = SearchSuggestion(job.search, SuggestionBounds{domain.floor, domain.defaultClock});
    if (suggestion != 0 && suggestion < domain.min)
        suggestion = domain.min <= SearchHighestClean(job.search) ? domain.min : 0;
    if (suggestion > domain.max)
        suggestion = domain.max;
    return suggestion;
}

// Every way out: the PLL words from before the job back on the chip and read
// back, the sliders as they were (or the suggestion on the tested one), the
// note as it stood (or cleared by a clean test at or above its clock), the
// video memory given back.
void EndJob(ClockTestJob* job, ClockTestState state, ClockTestEnd end)
{
    RestorePllWords(job->gfxWordBefore, job->memWordBefore);
    gApp.gfx.applied = ReadGfxClock();
    gApp.mem.applied = ReadMemClock();
    // A Restore from the tray during the job may have loaded the test clock
    // onto a slider: both show what they held before again.
    gApp.gfx.selected = job->gfxSelectedBefore;
    gApp.mem.selected = job->memSelectedBefore;
    job->suggestion = state == ClockTestState::Finished ? Suggestion(*job) : 0;
    job->suggestionHeldUp = job->suggestion > SuggestedClock(SearchHighestClean(job->search));
    job->startErred = state == ClockTestState::Finished && job->steps != 0 && !job->search.startClean;
    if (job->suggestion != 0)
        Domain(job->domain).selected = job->suggestion;

    const ClockTestNote& tooHigh = job->tooHigh;
    if (job->mode == ClockTestMode::Test && tooHigh.mhz != 0 && job->stepClock >= tooHigh.mhz && StepRanClean(*job))
        job->tooHigh.mhz = 0;
    WriteClockTestNote(job->tooHigh);

    gApp.platform.videoBlocks->Close();
    CoreCheckEnd(&job->core);
    job->state = state;
    job->end = end;
    gApp.ui.clockTestRunning = 0;
}

void EndStep(ClockTestJob* job, uint32_t nowMs)
{
    const uint32_t errors = job->test.totals.errors.count;
    AddColumn(job, job->stepClock, errors, SearchConfirming(job->search));
    WriteClockTestNote(job->tooHigh);
    SearchStepDone(&job->search, errors != 0);
    if (job->search.phase == SearchPhase::Done)
        EndJob(job, ClockTestState::Finished, EndOfSearch(*job));
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

// About how many steps a search still takes after the one now running: the
// climb to the ceiling, a halving or two between the clean and the failing
// clock, and the confirmation.
uint32_t StepsAfterThis(const ClockSearch& search, uint32_t* confirmations)
{
    *confirmations = 1;
    switch (search.phase) {
    case SearchPhase::Climbing:
        return (search.ceiling - search.clock) / kClimbStepMHz + 2;
    case SearchPhase::Descending:
        return 3;
    case SearchPhase::Narrowing: {
        uint32_t halvings = 0;
        for (uint32_t gap = search.failing - SearchHighestClean(search); gap > 2; gap /= 2)
            ++halvings;
        return halvings + 1;
    }
    default:
        *confirmations = 0;
        return 0;
    }
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
    // A second start while a job runs would take the clock it is testing for
    // the clock before it.
    if (ClockTestRunning(*job))
        return 0;
    *job = ClockTestJob{};
    job->mode = mode;
    job->domain = domain;
    job->secondsPerClock = secondsPerClock < kSecondsPerClockMin   ? kSecondsPerClockMin
                           : secondsPerClock > kSecondsPerClockMax ? kSecondsPerClockMax
                                                                   : secondsPerClock;
    if (domain == kGfxDomain)
        CoreCheckBegin(&job->core, gApp.platform.render, gReferenceFrame, kCoreReferenceWords);
    if (!OpenVideoBlocks(job->why, sizeof job->why)) {
        CoreCheckEnd(&job->core);
        job->state = ClockTestState::Failed;
        job->end = ClockTestEnd::Failed;
        return 0;
    }
    job->state = ClockTestState::Running;
    gApp.ui.clockTestRunning = 1;
    VideoBlocks* memory = gApp.platform.videoBlocks;
    uint32_t testedBytes = 0;
    for (uint32_t block = 0; block < memory->BlockCount(); ++block)
        testedBytes += memory->BlockBytes(block);
    job->testedMiB = testedBytes >> 20;
    job->boardMiB = ReadVideoMemoryMiB(gApp.boardKind, gApp.registers);
    job->gfxWordBefore = gApp.registers->Read32(kGfxPllRegister);
    job->memWordBefore = gApp.registers->Read32(kMemPllRegister);
    job->gfxSelectedBefore = gApp.gfx.selected;
    job->memSelectedBefore = gApp.mem.selected;
    job->tooHigh = ReadClockTestNote(domain);
    job->jobStartMs = nowMs;
    const uint32_t start = LiveClock(domain);
    job->clockBefore = start;
    if (mode == ClockTestMode::Test) {
        BeginStep(job, start, nowMs);
        return 1;
    }
    const ClockDomain& clocks = Domain(domain);
    job->floor = Larger(clocks.min, clocks.floor);
    job->ceiling = SearchCeiling(clocks.max, clocks.ceiling, job->tooHigh);
    SearchBegin(&job->search, ClockReach{ReachFromChip, &job->domain}, start, job->floor, job->ceiling);
    if (job->search.phase == SearchPhase::Done)
        EndJob(job, ClockTestState::Finished, EndOfSearch(*job));
    else
        BeginStep(job, start, nowMs);
    return 1;
}

ClockTestState ClockTestSlice(ClockTestJob* job, uint32_t bytes, uint32_t nowMs)
{
    if (job->state != ClockTestState::Running)
        return job->state;
    if (!ContinueStepWork(job, bytes)) {
        CopyText(job->why, sizeof job->why,
                 job->core.why[0] ? job->core.why : "the video memory could not be used any more");
        EndJob(job, ClockTestState::Failed, ClockTestEnd::Failed);
        return job->state;
    }
    if (job->mode == ClockTestMode::Test) {
        job->columnCount = 0;
        AddColumn(job, job->stepClock, job->test.totals.errors.count, false);
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
        EndJob(job, ClockTestState::Stopped, ClockTestEnd::Stopped);
}

bool ClockTestRunning(const ClockTestJob& job)
{
    return job.state == ClockTestState::Running;
}

int ParseSecondsPerClock(const char* text, uint32_t* seconds)
{
    while (*text == ' ')
        ++text;
    uint32_t value = 0, digits = 0;
    for (; *text >= '0' && *text <= '9'; ++text, ++digits) {
        value = value * 10 + static_cast<uint32_t>(*text - '0');
        if (value > kSecondsPerClockMax)
            return 0;
    }
    while (*text == ' ')
        ++text;
    if (digits == 0 || *text != '\0' || value < kSecondsPerClockMin)
        return 0;
    *seconds = value;
    return 1;
}

ClockTestProgress ClockTestProgressNow(const ClockTestJob& job, uint32_t nowMs)
{
    ClockTestProgress progress = {};
    const uint32_t patterns = job.test.patternCount ? job.test.patternCount : 1;
    const uint32_t passes = job.test.totals.passes;
    progress.rounds = passes / patterns;
    if (job.mode == ClockTestMode::Test) {
        progress.stepPercent = passes % patterns * 100 / patterns;
        return progress;
    }
    const uint32_t passPercent = passes >= patterns ? 100 : passes * 100 / patterns;
    // At most 600 s six times over: a hundred times that still fits in 32 bits.
    const uint32_t elapsed = nowMs - job.stepStartMs;
    const uint32_t wanted = StepMilliseconds(job);
    const uint32_t timePercent = elapsed >= wanted ? 100 : elapsed * 100 / wanted;
    progress.stepPercent = passPercent < timePercent ? passPercent : timePercent;

    uint32_t confirmations = 0;
    const uint32_t after = StepsAfterThis(job.search, &confirmations);
    progress.step = job.steps;
    progress.aboutSteps = job.steps + after;
    const uint32_t thisStepLeft = elapsed >= wanted ? 0 : (wanted - elapsed + 999) / 1000;
    progress.secondsLeft =
        thisStepLeft + job.secondsPerClock * ((after - confirmations) + confirmations * kConfirmTimesLonger);
    return progress;
}

const char* ClockTestPatternName(const ClockTestJob& job)
{
    if (job.domain == kGfxDomain)
        return CoreCheckActivity(job.core);
    return MemTestPatternName(job.test.patterns[job.test.patternIndex]);
}
