#pragma once
// A simulated board for the clock engine tests: a traced chip, simulated time
// and a display whose mode resets land in the same trace, plugged into a
// fresh gApp for the lifetime of the fixture. Lighter than the whole simulated
// PC: the clock engine needs no bus, driver or registry.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app_state.h"
#include "board/chip_registers.h"
#include "sim/sim_chip.h"
#include "sim/sim_display.h"
#include "sim/sim_ticks.h"
#include "sim/sim_trace.h"

struct ClockSim {
    explicit ClockSim(BoardKind kind, bool crystal14 = true, bool ddr = false)
        : trace(new SimTrace), chip(SharedStorage(), trace.get()), ticks(trace.get()), display(trace.get())
    {
        for (uint32_t offset : {kGfxPllRegister, kMemPllRegister, kStrapRegister, kMemConfigRegister})
            chip.Poke32(offset, 0);
        gApp = AppState();
        gApp.boardKind = kind;
        gApp.registers = &chip;
        gApp.platform.ticks = &ticks;
        gApp.platform.display = &display;
        chip.SetCrystal14MHz(crystal14);
        chip.SetDdr(ddr);
    }
    ~ClockSim() { gApp = AppState(); }

    // Writes for one register, in order.
    std::vector<uint32_t> WritesTo(uint32_t offset) const
    {
        std::vector<uint32_t> values;
        for (int i = 0; i < trace->Count(); ++i) {
            const SimTraceEntry& e = trace->At(i);
            if (e.event == SimEvent::RegisterWrite32 && e.address == offset)
                values.push_back(e.value);
        }
        return values;
    }
    int CountOf(SimEvent event) const { return trace->CountOf(event); }

    // One register file for all tests: a fresh 16 MiB block per test costs
    // more in page faults than the tests themselves. The clock engine only
    // touches the four registers that the constructor clears.
    static uint8_t* SharedStorage()
    {
        static std::vector<uint8_t> storage(kRegisterWindowBytes);
        return storage.data();
    }

    std::unique_ptr<SimTrace> trace;
    SimChip chip;
    SimTicks ticks;
    SimDisplay display;
};
