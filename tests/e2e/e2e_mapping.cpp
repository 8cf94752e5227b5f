// A Windows 98 without VELKOR.VXD: the chip mapped through DPMI instead.
#include "e2e_apply_steps.h"

using namespace e2e_apply;

E2E_SCENARIO(without_the_driver_the_dpmi_mapping_runs_the_utility)
{
    Chip chip;
    Sim sim = Sim::Start("", "board=TNT2 driver=missing dpmi=ok");
    HWND main = StartShown(&sim, &chip);
    ExpectShownAndRunning(main, chip, 125, 150);
    KeepClocks(sim, main, 140, 165);
    ExpectShownAndRunning(main, chip, 140, 165);
    E2E_CHECK_EQ(0u, sim.Exit());
}
