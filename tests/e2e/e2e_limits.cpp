// The limits dialog on velkor-sim.exe: spin steps up to their bounds, typed
// values checked when their field loses the focus, "&Apply", Enter, and
// "&Reset to Defaults".
#include "e2e_apply_steps.h"

namespace {

using namespace e2e_apply;

HWND OpenLimits(const Sim& sim, HWND main)
{
    PostMessageA(main, WM_SYSCOMMAND, kLimitsCommand, 0);
    HWND limits = WaitForDialog(sim, kLimitsTitle);
    E2E_REQUIRE(limits);
    return limits;
}

// Holds a spin arrow for a number of steps and waits until they are handled.
void Spin(HWND limits, int spinId, bool up, int clicks)
{
    for (int i = 0; i < clicks; ++i)
        PostSpinClick(limits, spinId, up);
    E2E_CHECK(SpinBarrier(limits, spinId));
}

// A click into the field, all of its text selected and replaced by typing.
void TypeInto(HWND limits, int editId, const std::string& text)
{
    HWND edit = GetDlgItem(limits, editId);
    PostClickAt(edit, 4, 4);
    PostMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : text)
        PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// Typing into one field, then a click into another: the first is checked.
std::string TypedValue(HWND limits, int editId, const std::string& text, int nextEditId)
{
    TypeInto(limits, editId, text);
    PostClickAt(GetDlgItem(limits, nextEditId), 4, 4);
    E2E_CHECK(SpinBarrier(limits, kGfxMinSpin));
    return Text(limits, editId);
}

std::string Fields(HWND limits)
{
    return Text(limits, kGfxMinEdit) + " " + Text(limits, kGfxMaxEdit) + " " + Text(limits, kMemMinEdit) + " " +
           Text(limits, kMemMaxEdit);
}

}  // namespace

E2E_SCENARIO(limits_spin_buttons_stop_at_their_bounds)
{
    Chip chip;
    Sim sim = Sim::Start("", "board=TNT2");
    HWND main = StartShown(&sim, &chip);
    HWND limits = OpenLimits(sim, main);
    E2E_CHECK_EQ(std::string("115 140 140 166"), Fields(limits));
    E2E_CHECK(!Enabled(limits, kApply));
    E2E_CHECK(!Enabled(limits, kReset));
    Shot("limits_dialog", limits);

    Spin(limits, kGfxMinSpin, true, 1);
    E2E_CHECK_EQ(std::string("116"), Text(limits, kGfxMinEdit));
    E2E_CHECK(Enabled(limits, kApply));
    E2E_CHECK(Enabled(limits, kReset));
    Spin(limits, kGfxMinSpin, true, 20);  // not up to the default 125
    E2E_CHECK_EQ(std::string("124"), Text(limits, kGfxMinEdit));
    Spin(limits, kGfxMinSpin, false, 40);
    E2E_CHECK_EQ(std::string("100"), Text(limits, kGfxMinEdit));  // the floor
    Spin(limits, kGfxMaxSpin, false, 30);
    E2E_CHECK_EQ(std::string("126"), Text(limits, kGfxMaxEdit));
    Spin(limits, kGfxMaxSpin, true, 60);
    E2E_CHECK_EQ(std::string("166"), Text(limits, kGfxMaxEdit));  // the ceiling
    Spin(limits, kMemMinSpin, true, 20);
    E2E_CHECK_EQ(std::string("149"), Text(limits, kMemMinEdit));
    Spin(limits, kMemMinSpin, false, 40);
    E2E_CHECK_EQ(std::string("125"), Text(limits, kMemMinEdit));
    Spin(limits, kMemMaxSpin, false, 30);
    E2E_CHECK_EQ(std::string("151"), Text(limits, kMemMaxEdit));
    Spin(limits, kMemMaxSpin, true, 40);
    E2E_CHECK_EQ(std::string("183"), Text(limits, kMemMaxEdit));

    // Back at the current limits: nothing to apply, but not the initial ones either.
    Spin(limits, kGfxMinSpin, true, 15);
    Spin(limits, kGfxMaxSpin, false, 26);
    Spin(limits, kMemMinSpin, true, 15);
    Spin(limits, kMemMaxSpin, false, 17);
    E2E_CHECK_EQ(std::string("115 140 140 166"), Fields(limits));
    E2E_CHECK(!Enabled(limits, kApply));
    E2E_CHECK(!Enabled(limits, kReset));

    // "&Close" drops the working values.
    Spin(limits, kGfxMaxSpin, true, 5);
    Click(limits, kClose);
    E2E_CHECK(WaitGone(limits));
    E2E_CHECK(Barrier(main));
    E2E_CHECK_EQ(140, SliderMax(main, kGfxSlider));
    uint32_t stored;
    E2E_CHECK(!ReadDword(kSettingsKey, "GFX Max", &stored));
}

E2E_SCENARIO(limits_typed_values_are_checked_when_the_field_loses_the_focus)
{
    Chip chip;
    Sim sim = Sim::Start("", "board=TNT2");
    HWND main = StartShown(&sim, &chip);
    HWND limits = OpenLimits(sim, main);

    const struct {
        int edit;
        const char* typed;
        const char* shown;
        int next;
    } cases[] = {
        {kGfxMinEdit, " 0120", "120", kGfxMaxEdit},
        {kGfxMaxEdit, "abc", "140", kMemMinEdit},
        {kMemMinEdit, "-5", "140", kMemMaxEdit},
        {kMemMaxEdit, "175MHz", "175", kGfxMinEdit},
        {kGfxMaxEdit, "125MHz", "140", kGfxMinEdit},  // the default itself is no upper limit
        {kGfxMinEdit, "99999999999999999999", "120", kGfxMaxEdit},
        {kGfxMaxEdit, "4294967436", "140", kGfxMinEdit},  // 140 + 2^32
        {kGfxMaxEdit, "", "140", kGfxMinEdit},
        {kGfxMinEdit, "126", "120", kGfxMaxEdit},  // above the slider and the default
        {kGfxMinEdit, "99", "120", kGfxMaxEdit},   // below the floor
    };
    for (const auto& c : cases)
        E2E_CHECK_EQ(std::string(c.shown), TypedValue(limits, c.edit, c.typed, c.next));
    E2E_CHECK_EQ(std::string("120 140 140 175"), Fields(limits));

    // Typed, then "&Apply" pressed at once: the value counts.
    TypeInto(limits, kGfxMaxEdit, "150");
    HWND apply = GetDlgItem(limits, kApply);
    RECT r;
    GetClientRect(apply, &r);
    PostClickAt(apply, r.right / 2, r.bottom / 2);
    E2E_CHECK(WaitGone(limits));
    E2E_CHECK(Barrier(main));
    E2E_CHECK_EQ(120, SliderMin(main, kGfxSlider));
    E2E_CHECK_EQ(150, SliderMax(main, kGfxSlider));
    E2E_CHECK_EQ(175, SliderMax(main, kMemSlider));
    E2E_CHECK_EQ(std::string("150"), Text(main, kGfxMaxEdit));
    uint32_t stored = 0;
    E2E_CHECK(ReadDword(kSettingsKey, "GFX Max", &stored) && stored == 150);
    E2E_CHECK(ReadDword(kSettingsKey, "GFX Min", &stored) && stored == 120);
    E2E_CHECK(ReadDword(kSettingsKey, "MEM Max", &stored) && stored == 175);
    Shot("limits_applied_main", main);
}

E2E_SCENARIO(limits_enter_in_a_field_presses_close)
{
    Chip chip;
    Sim sim = Sim::Start("", "board=TNT2");
    HWND main = StartShown(&sim, &chip);
    HWND limits = OpenLimits(sim, main);
    Spin(limits, kGfxMinSpin, false, 3);
    TypeInto(limits, kGfxMaxEdit, "150");
    PostMessageA(GetDlgItem(limits, kGfxMaxEdit), WM_KEYDOWN, VK_RETURN, 1);
    E2E_CHECK(WaitGone(limits));
    E2E_CHECK(Barrier(main));
    E2E_CHECK_EQ(115, SliderMin(main, kGfxSlider));
    E2E_CHECK_EQ(140, SliderMax(main, kGfxSlider));
    uint32_t stored;
    E2E_CHECK(!ReadDword(kSettingsKey, "GFX Max", &stored));
}

E2E_SCENARIO(limits_reset_to_defaults_even_with_the_slider_outside)
{
    Chip chip;
    E2E_REQUIRE(chip.Prepare("board=TNT2", 150, 150));  // graphics above the default maximum 140
    Sim sim = Sim::Start("", "board=TNT2");
    HWND main = StartShown(&sim, &chip);
    E2E_CHECK_EQ(150, SliderMax(main, kGfxSlider));
    HWND limits = OpenLimits(sim, main);
    E2E_CHECK_EQ(std::string("115 150 140 166"), Fields(limits));
    E2E_CHECK(Enabled(limits, kReset));
    E2E_CHECK(!Enabled(limits, kApply));
    Spin(limits, kGfxMaxSpin, false, 3);  // never below the slider's clock
    E2E_CHECK_EQ(std::string("150"), Text(limits, kGfxMaxEdit));

    Click(limits, kReset);
    E2E_CHECK(WaitUntil([&] { return Fields(limits) == "115 140 140 166"; }));
    E2E_CHECK(WaitUntil([&] { return !Enabled(limits, kReset); }));
    E2E_CHECK(Enabled(limits, kApply));
    E2E_CHECK(WaitUntil([&] { return Focus(limits) == GetDlgItem(limits, kClose); }));
    Click(limits, kApply);
    E2E_CHECK(WaitGone(limits));
    E2E_CHECK(Barrier(main));
    // The range no longer holds the slider's clock; the label still tells it.
    E2E_CHECK_EQ(140, SliderMax(main, kGfxSlider));
    E2E_CHECK_EQ(GfxLabel(150), Text(main, kGfxLabel));
    uint32_t stored = 0;
    E2E_CHECK(ReadDword(kSettingsKey, "GFX Max", &stored) && stored == 140);
}
