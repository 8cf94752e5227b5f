#include "sim/sim_pc.h"

SimPc::SimPc(uint8_t* chipStorage)
    : ticks(&trace),
      chip(chipStorage, &trace),
      bus(&trace),
      driver(&trace, &chip),
      physicalMemory(&trace, &chip),
      system(&trace),
      display(&trace),
      videoBlocks(&chip),
      render(&chip, &videoBlocks)
{
}

::Platform SimPc::Platform()
{
    ::Platform platform;
    platform.ports = &bus;
    platform.driver = &driver;
    platform.system = &system;
    platform.display = &display;
    platform.ticks = &ticks;
    platform.registry = nullptr;
    platform.physicalMemory = &physicalMemory;
    platform.videoBlocks = &videoBlocks;
    platform.render = &render;
    return platform;
}
