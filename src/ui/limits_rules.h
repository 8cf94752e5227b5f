#pragma once
// The rules of the limits dialog without windows: the working copy of the
// four slider limits, the spin steps, the typed values and the enabling of
// the dialog's buttons. Every comparison is unsigned 32-bit.
#include <stdint.h>

// Edit fields and spin buttons of the dialog.
const uint32_t kLimitEditGfxMin = 1111;
const uint32_t kLimitEditMemMin = 1112;
const uint32_t kLimitEditGfxMax = 1113;
const uint32_t kLimitEditMemMax = 1114;
const uint32_t kLimitSpinGfxMin = 1116;
const uint32_t kLimitSpinGfxMax = 1117;
const uint32_t kLimitSpinMemMax = 1118;
const uint32_t kLimitSpinMemMin = 1119;

// A typed limit is read from at most this many characters.
const int kLimitTextChars = 30;

struct LimitsWork {
    uint32_t workGfxMin;
    uint32_t workGfxMax;
    uint32_t workMemMin;
    uint32_t workMemMax;
};

// The working copy from and to gApp's slider ranges.
LimitsWork CurrentLimits();
void TakeLimits(const LimitsWork& work);
// The initial limits of a board: default clock - 10 up to the default maximum.
LimitsWork DefaultLimits();

// The working value an edit field shows, or nullptr for any other identifier.
uint32_t* LimitOfEdit(LimitsWork* work, uint32_t editId);

// One spin step: a negative delta steps up, a positive one down, 0 nothing;
// the size is ignored. A step that would leave the allowed range does
// nothing. 1 when the value changed.
int StepLimit(LimitsWork* work, uint32_t spinId, int32_t delta);

// Whether v may be the value of the field: lower limits from floor to the
// smaller of defaultClock - 1 and selected, upper limits from the larger of
// defaultClock + 1 and selected up to ceiling.
bool LimitAcceptable(uint32_t editId, uint32_t v);

// The number at the head of text as the C library's conversion to int reads
// it: white space, an optional sign, then digits; no digits give 0. Returns 0
// (with *value untouched) when the number does not fit in an int, which the
// library leaves undefined.
int ParseLimitNumber(const char* text, int32_t* value);

// Validation of one edit field's text: the number is taken into the working
// value only when it fits and is acceptable. 1 when taken.
int TakeTypedLimit(LimitsWork* work, uint32_t editId, const char* text);

// Button enabling: "&Reset to Defaults" while the working values differ from
// the initial limits, "&Apply" while they differ from the current ones.
bool LimitsResetEnabled(const LimitsWork& work);
bool LimitsApplyEnabled(const LimitsWork& work);
