// Spin steps, typed values and button enabling of the limits dialog.
#include <gtest/gtest.h>

#include <string>

#include "app_state.h"
#include "ui/limits_rules.h"

namespace {

// A TNT2 (graphics 100/125/140/166, memory 125/150/166/183) with its
// sliders at the default clocks and the initial limits.
class LimitsRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        gApp = AppState();
        gApp.gfx = Domain(100, 125, 140, 166);
        gApp.mem = Domain(125, 150, 166, 183);
    }
    void TearDown() override { gApp = AppState(); }

    static ClockDomain Domain(uint32_t floor, uint32_t defaultClock, uint32_t defaultMax, uint32_t ceiling)
    {
        ClockDomain d;
        d.floor = floor;
        d.defaultClock = defaultClock;
        d.defaultMax = defaultMax;
        d.ceiling = ceiling;
        d.selected = d.applied = defaultClock;
        d.min = defaultClock - 10;
        d.max = defaultMax;
        return d;
    }

    // Holds a spin button: steps until nothing changes (or a safety bound).
    static uint32_t Hold(LimitsWork* work, uint32_t spin, int32_t delta)
    {
        for (int i = 0; i < 1000 && StepLimit(work, spin, delta); ++i) {
        }
        return *LimitOfEdit(work, spin == kLimitSpinGfxMin   ? kLimitEditGfxMin
                                  : spin == kLimitSpinGfxMax ? kLimitEditGfxMax
                                  : spin == kLimitSpinMemMin ? kLimitEditMemMin
                                                             : kLimitEditMemMax);
    }
};

const int32_t kUp = -1;  // what the up arrow reports at the control's default range
const int32_t kDown = 1;

TEST_F(LimitsRules, HeldSpinButtonsStopAtTheirBounds)
{
    struct Case {
        const char* what;
        uint32_t gfxSelected, memSelected;
        uint32_t spin;
        int32_t delta;
        uint32_t expected;
    } cases[] = {
        {"gfx min up stops below the default", 125, 150, kLimitSpinGfxMin, kUp, 124},
        {"gfx min up stops at the slider", 119, 150, kLimitSpinGfxMin, kUp, 119},
        {"gfx min down stops at the floor", 125, 150, kLimitSpinGfxMin, kDown, 100},
        {"gfx max up stops at the ceiling", 125, 150, kLimitSpinGfxMax, kUp, 166},
        {"gfx max down stops above the default", 125, 150, kLimitSpinGfxMax, kDown, 126},
        {"gfx max down stops at the slider", 133, 150, kLimitSpinGfxMax, kDown, 133},
        {"mem min up", 125, 150, kLimitSpinMemMin, kUp, 149},
        {"mem min up at the slider", 125, 141, kLimitSpinMemMin, kUp, 141},
        {"mem min down", 125, 150, kLimitSpinMemMin, kDown, 125},
        {"mem max up", 125, 150, kLimitSpinMemMax, kUp, 183},
        {"mem max down", 125, 150, kLimitSpinMemMax, kDown, 151},
        {"mem max down at the slider", 125, 170, kLimitSpinMemMax, kDown, 170},
        // The size of the delta is ignored, only its sign counts.
        {"big steps are single steps", 125, 150, kLimitSpinGfxMax, -100, 166},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gApp.gfx.selected = c.gfxSelected;
        gApp.mem.selected = c.memSelected;
        LimitsWork work = CurrentLimits();
        if (c.gfxSelected > gApp.gfx.max)
            work.workGfxMax = gApp.gfx.max = c.gfxSelected;
        if (c.memSelected > gApp.mem.max)
            work.workMemMax = gApp.mem.max = c.memSelected;
        EXPECT_EQ(c.expected, Hold(&work, c.spin, c.delta));
    }
}

TEST_F(LimitsRules, OneStepIsOneMegahertzAndOtherSourcesChangeNothing)
{
    LimitsWork work = CurrentLimits();
    EXPECT_EQ(1, StepLimit(&work, kLimitSpinGfxMin, -37));
    EXPECT_EQ(116u, work.workGfxMin);
    EXPECT_EQ(1, StepLimit(&work, kLimitSpinMemMax, 5));
    EXPECT_EQ(165u, work.workMemMax);
    EXPECT_EQ(0, StepLimit(&work, kLimitSpinGfxMax, 0));
    const LimitsWork before = work;
    for (uint32_t other : {0u, 1105u, 1111u, 1115u, 1120u})
        EXPECT_EQ(0, StepLimit(&work, other, kUp));
    EXPECT_EQ(0, memcmp(&before, &work, sizeof work));
}

TEST_F(LimitsRules, ALowerLimitBelowTheFloorCanRiseButNotFall)
{
    gApp.gfx.min = 90;  // widened to a live clock below the floor
    gApp.gfx.selected = 90;
    LimitsWork work = CurrentLimits();
    EXPECT_EQ(0, StepLimit(&work, kLimitSpinGfxMin, kDown));
    EXPECT_EQ(0, StepLimit(&work, kLimitSpinGfxMin, kUp));  // the slider sits at 90
    gApp.gfx.selected = 125;
    EXPECT_EQ(1, StepLimit(&work, kLimitSpinGfxMin, kUp));
    EXPECT_EQ(91u, work.workGfxMin);
    EXPECT_EQ(0, StepLimit(&work, kLimitSpinGfxMin, kDown));  // still below the floor
    work.workGfxMin = 101;
    EXPECT_EQ(1, StepLimit(&work, kLimitSpinGfxMin, kDown));
    EXPECT_EQ(0, StepLimit(&work, kLimitSpinGfxMin, kDown));
    EXPECT_EQ(100u, work.workGfxMin);
}

TEST(ParseLimitNumber, ReadsLikeTheCLibrary)
{
    const struct {
        const char* text;
        int ok;
        int32_t value;
    } cases[] = {
        {"125", 1, 125},          {" 0120", 1, 120},          {"\t\n\v\f\r 7", 1, 7},
        {"125MHz", 1, 125},       {"abc", 1, 0},              {"", 1, 0},
        {"-5", 1, -5},            {"+42", 1, 42},             {"- 5", 1, 0},
        {"+-5", 1, 0},            {"12 34", 1, 12},           {"0x1F", 1, 0},
        {"2147483647", 1, 2147483647},
        {"-2147483648", 1, INT32_MIN},
        {"2147483648", 0, 0},     {"-2147483649", 0, 0},
        {"99999999999999999999", 0, 0},
        {"000000000000000000000000000120", 1, 120},  // leading zeros do not overflow
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        int32_t value = 12345;
        EXPECT_EQ(c.ok, ParseLimitNumber(c.text, &value));
        EXPECT_EQ(c.ok ? c.value : 12345, value);
    }
}

TEST_F(LimitsRules, TypedValuesAreTakenOnlyWithinTheSameBoundsAsTheSpins)
{
    gApp.gfx.selected = 120;
    gApp.mem.selected = 160;
    gApp.mem.max = 170;
    const struct {
        uint32_t edit;
        const char* text;
        bool taken;
        uint32_t value;  // the working value afterwards
    } cases[] = {
        {kLimitEditGfxMin, " 0120", true, 120},  // equal to the slider is fine
        {kLimitEditGfxMin, "121", false, 115},   // above the slider
        {kLimitEditGfxMin, "100", true, 100},    // the floor
        {kLimitEditGfxMin, "99", false, 115},
        {kLimitEditGfxMin, "abc", false, 115},   // 0 is below the floor
        {kLimitEditGfxMin, "-5", false, 115},    // negative: huge when unsigned
        {kLimitEditGfxMin, "", false, 115},
        {kLimitEditGfxMin, "99999999999999999999", false, 115},
        {kLimitEditGfxMin, "4294967396", false, 115},  // 100 modulo 2^32 must not sneak in
        {kLimitEditGfxMax, "125MHz", false, 140},  // the default itself
        {kLimitEditGfxMax, "126MHz", true, 126},
        {kLimitEditGfxMax, "166", true, 166},
        {kLimitEditGfxMax, "167", false, 140},
        {kLimitEditMemMin, "149", true, 149},
        {kLimitEditMemMin, "150", false, 140},
        {kLimitEditMemMin, "125", true, 125},
        {kLimitEditMemMin, "124", false, 140},
        {kLimitEditMemMax, "159", false, 170},  // below the slider at 160
        {kLimitEditMemMax, "160", true, 160},
        {kLimitEditMemMax, "183", true, 183},
        {kLimitEditMemMax, "184", false, 170},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.edit) + " \"" + c.text + "\"");
        LimitsWork work = CurrentLimits();
        EXPECT_EQ(c.taken ? 1 : 0, TakeTypedLimit(&work, c.edit, c.text));
        EXPECT_EQ(c.value, *LimitOfEdit(&work, c.edit));
    }
    LimitsWork work = CurrentLimits();
    EXPECT_EQ(0, TakeTypedLimit(&work, 1115, "120"));
    EXPECT_EQ(nullptr, LimitOfEdit(&work, 1116));
}

TEST_F(LimitsRules, SpinsAndTypingReachExactlyTheSameValues)
{
    // Sliders anywhere from the floor to the ceiling.
    for (uint32_t selected : {100u, 112u, 124u, 125u, 126u, 150u, 166u}) {
        gApp.gfx.selected = selected;
        gApp.gfx.min = selected < 115 ? selected : 115;
        gApp.gfx.max = selected > 140 ? selected : 140;
        for (uint32_t edit : {kLimitEditGfxMin, kLimitEditGfxMax}) {
            const uint32_t spin = edit == kLimitEditGfxMin ? kLimitSpinGfxMin : kLimitSpinGfxMax;
            LimitsWork low = CurrentLimits(), high = CurrentLimits();
            const uint32_t spinLow = Hold(&low, spin, kDown);
            const uint32_t spinHigh = Hold(&high, spin, kUp);
            uint32_t typedLow = 0, typedHigh = 0;
            for (uint32_t v = 0; v < 300; ++v) {
                if (LimitAcceptable(edit, v)) {
                    typedLow = typedLow ? typedLow : v;
                    typedHigh = v;
                }
            }
            SCOPED_TRACE("selected " + std::to_string(selected) + " edit " + std::to_string(edit));
            EXPECT_EQ(typedLow, spinLow);
            EXPECT_EQ(typedHigh, spinHigh);
        }
    }
}

TEST_F(LimitsRules, ButtonsFollowTheCurrentAndTheInitialLimits)
{
    LimitsWork work = CurrentLimits();
    EXPECT_FALSE(LimitsApplyEnabled(work));
    EXPECT_FALSE(LimitsResetEnabled(work));
    uint32_t* fields[] = {&work.workGfxMin, &work.workGfxMax, &work.workMemMin, &work.workMemMax};
    for (uint32_t* field : fields) {
        *field += 1;
        EXPECT_TRUE(LimitsApplyEnabled(work));
        EXPECT_TRUE(LimitsResetEnabled(work));
        *field -= 1;
    }
    // Stored limits that differ from the initial ones.
    gApp.gfx.max = 150;
    work = CurrentLimits();
    EXPECT_FALSE(LimitsApplyEnabled(work));
    EXPECT_TRUE(LimitsResetEnabled(work));
    work = DefaultLimits();
    EXPECT_EQ(115u, work.workGfxMin);
    EXPECT_EQ(140u, work.workGfxMax);
    EXPECT_EQ(140u, work.workMemMin);
    EXPECT_EQ(166u, work.workMemMax);
    EXPECT_TRUE(LimitsApplyEnabled(work));
    EXPECT_FALSE(LimitsResetEnabled(work));
}

TEST_F(LimitsRules, ResetIgnoresTheSliderAndTakeCopiesAllFour)
{
    gApp.gfx.selected = 160;  // outside the initial range
    gApp.gfx.max = 160;
    LimitsWork work = DefaultLimits();
    EXPECT_EQ(140u, work.workGfxMax);
    TakeLimits(work);
    EXPECT_EQ(115u, gApp.gfx.min);
    EXPECT_EQ(140u, gApp.gfx.max);
    EXPECT_EQ(140u, gApp.mem.min);
    EXPECT_EQ(166u, gApp.mem.max);
}

}  // namespace
