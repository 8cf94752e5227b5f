#include "clock/pll_search.h"

#include <math.h>

#include "app_state.h"

namespace {

// Whole part of a non-negative double as a 32-bit unsigned number, keeping
// the low 32 bits when it does not fit (the integer search wraps the same
// way). Negative, NaN and infinite values give 0.
uint32_t WholePart32(double value)
{
    if (!(value >= 1.0) || isinf(value))
        return 0;
    if (value < 4294967296.0)
        return static_cast<uint32_t>(value);
    return static_cast<uint32_t>(fmod(floor(value), 4294967296.0));
}

// Whole part of a double as a loop bound of the floating-point search,
// held within 0..highest so odd limits cannot run the loops away.
int32_t LoopBound(double value, int32_t highest)
{
    if (!(value > 0.0))
        return 0;
    if (value >= highest)
        return highest;
    return static_cast<int32_t>(value);
}

void ResetCandidate(PllCandidate* candidate, double errorPercent)
{
    *candidate = PllCandidate();
    candidate->errorPercent = errorPercent;
}

void TakeCandidate(PllCandidate* candidate, int32_t m, int32_t n, int32_t p, double errorHz, double errorPercent)
{
    candidate->found = true;
    candidate->m = m;
    candidate->n = n;
    candidate->p = p;
    candidate->errorHz = errorHz;
    candidate->errorPercent = errorPercent;
}

// Percentages this close count as equal; the larger M then wins.
const double kEqualPercent = 1e-6;

}  // namespace

void SetPllSearchLimits(int32_t method)
{
    PllSearchLimits& limits = gApp.pllLimits;
    limits.minReferenceMHz = 1.0;
    limits.maxReferenceMHz = 3;
    limits.minVcoMHz = 128.0;
    limits.maxVcoMHz = 300;
    limits.firstP = (method == kPllMethodOther) ? 0 : 1;
}

int SearchPllFloat(double targetHz, double crystalMHz)
{
    PllCandidate& above = gApp.bestAbove;
    PllCandidate& below = gApp.bestBelow;
    // Only outputs within about 1 % of the target can beat these.
    ResetCandidate(&above, 1.0);
    ResetCandidate(&below, -1.0);
    // A target of 0 Hz or less has no percentage error and no candidate.
    if (!(targetHz > 0.0) || !(crystalMHz > 0.0))
        return kPllNoCandidate;

    const PllSearchLimits& limits = gApp.pllLimits;
    const int32_t firstM = LoopBound(crystalMHz / limits.maxReferenceMHz, 254) + 1;
    const int32_t lastM = LoopBound(crystalMHz / limits.minReferenceMHz, 255);

    // Visiting order M, then N, then P, all ascending, decides the ties.
    for (int32_t m = firstM; m <= lastM; ++m) {
        const double refMHz = crystalMHz / m;
        const int32_t firstN = LoopBound(limits.minVcoMHz / refMHz, 255) + 1;
        const int32_t lastN = LoopBound(limits.maxVcoMHz / refMHz, 255);
        for (int32_t n = firstN; n <= lastN; ++n) {
            const double vcoMHz = n * refMHz;
            for (int32_t p = limits.firstP < 0 ? 0 : limits.firstP; p <= 1; ++p) {
                const double outMHz = vcoMHz / static_cast<double>(1 << p);
                const double errorHz = outMHz * 1000000.0 - targetHz;
                const double errorPercent = errorHz * 100.0 / targetHz;
                if (errorHz >= 0.0) {
                    if (errorPercent < above.errorPercent ||
                        (fabs(errorPercent - above.errorPercent) < kEqualPercent && m > above.m))
                        TakeCandidate(&above, m, n, p, errorHz, errorPercent);
                } else {
                    if (errorPercent > below.errorPercent ||
                        (fabs(errorPercent - below.errorPercent) < kEqualPercent && m > below.m))
                        TakeCandidate(&below, m, n, p, errorHz, errorPercent);
                }
            }
        }
    }

    if (!above.found && !below.found)
        return kPllNoCandidate;
    if (!below.found)
        return kPllTakeAbove;
    if (!above.found)
        return kPllTakeBelow;
    // Equal distances go to the output at or above the target.
    return (-below.errorHz >= above.errorHz) ? kPllTakeAbove : kPllTakeBelow;
}

void SearchPllInteger(uint32_t target10kHz, uint16_t* m, uint16_t* n, uint16_t* p, uint32_t crystalKHz)
{
    // Everything below is 32-bit unsigned with division rounding down; for
    // absurd targets the products wrap, which is defined and finds nothing
    // useful rather than anything harmful.
    const uint32_t v = target10kHz * 10u;  // target in kHz
    const uint32_t vcoMax = v < 256000u ? 256000u : v;
    uint32_t mMax;
    if (v > 340000u)
        mMax = 2;
    else if (v > 250000u)
        mMax = 6;
    else
        mMax = (crystalKHz == 14318u) ? 14 : 13;

    uint32_t best = 65535;
    uint32_t bestM = 0, bestN = 0, bestP = 0;
    if (crystalKHz != 0) {
        for (uint32_t pp = 0; pp <= 4; ++pp) {
            const uint32_t vco = v << pp;  // v * 2^P
            if (vco < 128000u || vco > vcoMax)
                continue;
            for (uint32_t mm = 1; mm <= mMax; ++mm) {
                const uint32_t nn = (vco * mm + crystalKHz / 2) / crystalKHz;
                if (nn > 255)
                    break;
                const uint32_t achieved = (((nn * crystalKHz + (1u << pp) / 2) >> pp) + mm / 2) / mm;
                const uint32_t diff = achieved > v ? achieved - v : v - achieved;
                // Above 250 MHz the first candidate within 0.5 % will do.
                if (v > 250000u && (diff == 0 || v / diff > 200)) {
                    *m = static_cast<uint16_t>(mm);
                    *n = static_cast<uint16_t>(nn);
                    *p = static_cast<uint16_t>(pp);
                    return;
                }
                if (diff < best) {
                    best = diff;
                    bestM = mm;
                    bestN = nn;
                    bestP = pp;
                }
            }
        }
    }
    *m = static_cast<uint16_t>(bestM);
    *n = static_cast<uint16_t>(bestN);
    *p = static_cast<uint16_t>(bestP);
}

int SearchPll(double targetMHz, PllCoefficients* coefficients, double crystalMHz, bool useIntegerSearch)
{
    if (!useIntegerSearch) {
        const PllCandidate* chosen;
        switch (SearchPllFloat(targetMHz * 1000000.0, crystalMHz)) {
        case kPllTakeAbove:
            chosen = &gApp.bestAbove;
            break;
        case kPllTakeBelow:
            chosen = &gApp.bestBelow;
            break;
        default:
            return 0;
        }
        coefficients->m = chosen->m;
        coefficients->n = chosen->n;
        coefficients->p = chosen->p;
        return 1;
    }

    uint16_t m = 0, n = 0, p = 0;
    SearchPllInteger(WholePart32(targetMHz * 100.0), &m, &n, &p, WholePart32(crystalMHz * 1000.0));
    coefficients->m = m;
    coefficients->n = n;
    coefficients->p = p;
    return 1;
}

uint32_t ClockToPllWord(uint32_t mhz, uint32_t domain)
{
    const bool floatSearch = gApp.boardKind == BoardKind::TNT;
    SetPllSearchLimits(floatSearch ? kPllMethodTnt : kPllMethodOther);

    uint32_t target = mhz;
    if (domain == kMemDomain && IsDdrMemory())
        target = mhz + mhz;  // the DDR memory PLL runs at twice the memory clock
    const double crystalMHz = ReadCrystalMHz();

    PllCoefficients c = {0, 0, 0};
    if (!SearchPll(static_cast<double>(target), &c, crystalMHz, !floatSearch))
        return 0;
    // M = 0 is the integer search's "nothing found" and no usable divider.
    if (c.m <= 0 || c.m > 255 || c.n < 0 || c.n > 255 || c.p < 0 || c.p > 7)
        return 0;
    return (static_cast<uint32_t>(c.p & 7) << kPllPShift) | (static_cast<uint32_t>(c.n & 0xFF) << kPllNShift) |
           static_cast<uint32_t>(c.m & 0xFF);
}
