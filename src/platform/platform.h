#pragma once
// Every seam to the hardware and the operating system, in one record.
#include "platform/display.h"
#include "platform/kernel_driver.h"
#include "platform/physical_memory.h"
#include "platform/ports.h"
#include "platform/register_window.h"
#include "platform/registry.h"
#include "platform/render.h"
#include "platform/system_info.h"
#include "platform/video_blocks.h"
#include "platform/ticks.h"

// Where the hardware and the operating system are reached. Velkor.exe and
// Arbolt.exe plug in the Win32 implementations; velkor-sim.exe and
// arbolt-sim.exe replace those that reach the board with the simulated PC's
// (sim/win32/sim_machine.cpp); the unit tests run on the simulated PC alone.
struct Platform {
    PortIo* ports = nullptr;
    KernelDriver* driver = nullptr;
    SystemInfo* system = nullptr;
    Display* display = nullptr;
    Ticks* ticks = nullptr;
    Registry* registry = nullptr;
    PhysicalMemory* physicalMemory = nullptr;  // the way to the chip when VELKOR.VXD is missing
    VideoBlocks* videoBlocks = nullptr;          // video memory for the clock test
    SceneRender* render = nullptr;               // the 3D scene of the graphics core test (null: none)
};
