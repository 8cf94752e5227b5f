#pragma once
// Finding the board, learning the display driver's build and mapping the registers.

// Scans the PCI bus for the first supported chip, reads the display driver's
// build, has VELKOR.VXD map the chip's registers (when it is missing, maps
// them through DPMI instead), checks that a chip answers behind the mapping
// and reads both live clocks.
// 1 on success; 0 on any failure, after which the utility ends silently.
int DetectBoard();
// Closes the driver handle (which lets the driver unload). Always 1.
int CloseBoardDriver();
