#include "ui/limits_rules.h"

#include <limits.h>

#include "app_state.h"
#include "board/board_table.h"

LimitsWork CurrentLimits()
{
    return LimitsWork{gApp.gfx.min, gApp.gfx.max, gApp.mem.min, gApp.mem.max};
}

void TakeLimits(const LimitsWork& work)
{
    gApp.gfx.min = work.workGfxMin;
    gApp.gfx.max = work.workGfxMax;
    gApp.mem.min = work.workMemMin;
    gApp.mem.max = work.workMemMax;
}

LimitsWork DefaultLimits()
{
    return LimitsWork{gApp.gfx.defaultClock - kInitialMinBelowDefault, gApp.gfx.defaultMax,
                      gApp.mem.defaultClock - kInitialMinBelowDefault, gApp.mem.defaultMax};
}

uint32_t* LimitOfEdit(LimitsWork* work, uint32_t editId)
{
    switch (editId) {
    case kLimitEditGfxMin: return &work->workGfxMin;
    case kLimitEditGfxMax: return &work->workGfxMax;
    case kLimitEditMemMin: return &work->workMemMin;
    case kLimitEditMemMax: return &work->workMemMax;
    default: return nullptr;
    }
}

// A lower limit stays below the default clock and at or below the slider's
// value; an upper limit above the default clock and at or above the slider's.
static bool LowerLimitCanRise(uint32_t value, const ClockDomain& d)
{
    return value < d.defaultClock - 1 && value < d.selected;
}
static bool UpperLimitCanFall(uint32_t value, const ClockDomain& d)
{
    return value > d.defaultClock + 1 && value > d.selected;
}

int StepLimit(LimitsWork* work, uint32_t spinId, int32_t delta)
{
    if (delta == 0)
        return 0;
    const bool up = delta < 0;  // the up arrow of an up-down control at its default range
    uint32_t* value;
    bool allowed;
    switch (spinId) {
    case kLimitSpinGfxMin:
        value = &work->workGfxMin;
        allowed = up ? LowerLimitCanRise(*value, gApp.gfx) : *value > gApp.gfx.floor;
        break;
    case kLimitSpinGfxMax:
        value = &work->workGfxMax;
        allowed = up ? *value < gApp.gfx.ceiling : UpperLimitCanFall(*value, gApp.gfx);
        break;
    case kLimitSpinMemMin:
        value = &work->workMemMin;
        allowed = up ? LowerLimitCanRise(*value, gApp.mem) : *value > gApp.mem.floor;
        break;
    case kLimitSpinMemMax:
        value = &work->workMemMax;
        allowed = up ? *value < gApp.mem.ceiling : UpperLimitCanFall(*value, gApp.mem);
        break;
    default:
        return 0;
    }
    if (!allowed)
        return 0;
    *value += up ? 1 : static_cast<uint32_t>(-1);
    return 1;
}

static bool LowerLimitFits(uint32_t v, const ClockDomain& d)
{
    return d.floor <= v && v <= d.defaultClock - 1 && v <= d.selected;
}
static bool UpperLimitFits(uint32_t v, const ClockDomain& d)
{
    return d.defaultClock + 1 <= v && v <= d.ceiling && v >= d.selected;
}

bool LimitAcceptable(uint32_t editId, uint32_t v)
{
    switch (editId) {
    case kLimitEditGfxMin: return LowerLimitFits(v, gApp.gfx);
    case kLimitEditMemMin: return LowerLimitFits(v, gApp.mem);
    case kLimitEditGfxMax: return UpperLimitFits(v, gApp.gfx);
    case kLimitEditMemMax: return UpperLimitFits(v, gApp.mem);
    default: return false;
    }
}

static bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int ParseLimitNumber(const char* text, int32_t* value)
{
    const char* p = text;
    while (IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    // Accumulate towards the sign's end, so INT_MIN itself still fits.
    const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit)
            return 0;
    }
    *value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return 1;
}

int TakeTypedLimit(LimitsWork* work, uint32_t editId, const char* text)
{
    uint32_t* target = LimitOfEdit(work, editId);
    int32_t number;
    if (!target || !ParseLimitNumber(text, &number))
        return 0;
    // A negative number becomes a huge unsigned value and fails every bound.
    const uint32_t v = static_cast<uint32_t>(number);
    if (!LimitAcceptable(editId, v))
        return 0;
    *target = v;
    return 1;
}

static bool SameLimits(const LimitsWork& a, const LimitsWork& b)
{
    return a.workGfxMin == b.workGfxMin && a.workGfxMax == b.workGfxMax && a.workMemMin == b.workMemMin &&
           a.workMemMax == b.workMemMax;
}

bool LimitsResetEnabled(const LimitsWork& work)
{
    return !SameLimits(work, DefaultLimits());
}

bool LimitsApplyEnabled(const LimitsWork& work)
{
    return !SameLimits(work, CurrentLimits());
}
