// Velkor.exe's platform: the real ports, driver, DPMI mapping, system, display,
// clock, registry, video memory and 3D render.
#include "platform/win32/win32_platform.h"

namespace {

Win32Ports gPorts;
Win32KernelDriver gDriver;
Win32PhysicalMemory gPhysicalMemory;
Win32SystemInfo gSystem;
Win32Display gDisplay;
Win32Ticks gTicks;
Win32Registry gRegistry;
Win32VideoBlocks gVideoBlocks;
Win32Render gRender;

}  // namespace

void InstallWin32Platform(Platform* target)
{
    Platform& platform = *target;
    platform.ports = &gPorts;
    platform.driver = &gDriver;
    platform.system = &gSystem;
    platform.display = &gDisplay;
    platform.ticks = &gTicks;
    platform.registry = &gRegistry;
    platform.physicalMemory = &gPhysicalMemory;
    platform.videoBlocks = &gVideoBlocks;
    platform.render = &gRender;
}
