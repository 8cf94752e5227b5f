#include "clock/clock_programming.h"

#include "app_state.h"
#include "board/chip_registers.h"
#include "clock/pll_search.h"

// Reads that let the PLL settle between the two writes; their values are not used.
static const int kSettleReads = 4;
static const uint32_t kSettleMilliseconds = 100;

void ApplyClocks(uint32_t gfxMHz, uint32_t memMHz)
{
    // The word last computed decides the display reset, valid or not.
    uint32_t last = 0;
    if (gfxMHz > kHighestUnwrittenClock) {
        last = ClockToPllWord(gfxMHz, kGfxDomain);
        if (last != 0)
            WritePllWord(kGfxPllRegister, last);
    }
    if (memMHz > kHighestUnwrittenClock) {
        last = ClockToPllWord(memMHz, kMemDomain);
        if (last != 0)
            WritePllWord(kMemPllRegister, last);
    }
    if (last != 0 && IsGeForce(gApp.boardKind))
        ResetDisplayMode();
}

void RestorePllWords(uint32_t gfxWord, uint32_t memWord)
{
    const uint32_t offsets[] = {kGfxPllRegister, kMemPllRegister};
    const uint32_t words[] = {gfxWord, memWord};
    bool written = false;
    for (int i = 0; i < 2; ++i) {
        if ((words[i] & kPllMMask) == 0 || gApp.registers->Read32(offsets[i]) == words[i])
            continue;
        WritePllWord(offsets[i], words[i]);
        written = true;
    }
    if (written && IsGeForce(gApp.boardKind))
        ResetDisplayMode();
}

void WritePllWord(uint32_t offset, uint32_t newWord)
{
    // 0 (or any M = 0) would stop the PLL dividing; leave the register alone.
    if ((newWord & kPllMMask) == 0)
        return;
    offset &= ~3u;
    RegisterWindow* registers = gApp.registers;
    const uint32_t oldWord = registers->Read32(offset);
    const uint32_t newP = newWord & kPllPMask;
    const uint32_t oldP = oldWord & kPllPMask;
    // The intermediate word keeps the larger post-divider, so the output never
    // overshoots both the old and the new clock while M and N change.
    const uint32_t dividers = kPllMMask | kPllNMask;
    const uint32_t intermediate = (newP >= oldP) ? (newP | (oldWord & dividers)) : (oldP | (newWord & dividers));
    registers->Write32(offset, intermediate);
    gApp.platform.ticks->Sleep(kSettleMilliseconds);
    for (int i = 0; i < kSettleReads; ++i)
        (void)registers->Read32(offset);
    registers->Write32(offset, newWord);
}

int ResetDisplayMode()
{
    Display* display = gApp.platform.display;
    return display ? display->ResetMode() : 0;
}
