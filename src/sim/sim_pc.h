#pragma once
// The simulated PC: a PCI bus with the board, the chip's registers, the
// kernel driver, the operating system's answers, the display and time, all
// recording into one trace. ApplySimConfig (sim_config.h) sets it up; tests
// and velkor-sim.exe plug it into gApp.platform; the registry is left to the
// caller.
//
// The object is large (the trace holds thousands of entries): allocate it on
// the heap or as a static, never on a small stack.
#include <stdint.h>

#include "platform/platform.h"
#include "sim/sim_chip.h"
#include "sim/sim_display.h"
#include "sim/sim_driver.h"
#include "sim/sim_pci_bus.h"
#include "sim/sim_physical_memory.h"
#include "sim/sim_render.h"
#include "sim/sim_system.h"
#include "sim/sim_video_blocks.h"
#include "sim/sim_ticks.h"
#include "sim/sim_trace.h"

class SimPc {
public:
    // chipStorage: kRegisterWindowBytes of memory owned by the caller (a heap
    // block in tests, a shared file mapping in velkor-sim.exe). It is used
    // as it is; nothing here clears it.
    explicit SimPc(uint8_t* chipStorage);
    SimPc(const SimPc&) = delete;
    SimPc& operator=(const SimPc&) = delete;

    // Ports, driver, DPMI mapping, system, display, ticks, test memory and
    // 3D render of this PC; registry null.
    ::Platform Platform();

    SimTrace trace;  // first: every part below records into it
    SimTicks ticks;
    SimChip chip;
    SimPciBus bus;
    SimDriver driver;
    SimPhysicalMemory physicalMemory;
    SimSystem system;
    SimDisplay display;
    SimVideoBlocks videoBlocks;  // needs SetStorage before it hands out anything
    SimRender render;            // the 3D scene of the graphics core test
};
