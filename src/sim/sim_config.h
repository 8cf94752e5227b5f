#pragma once
// The simulated PC's set-up as velkor-sim.exe reads it from VELKOR_SIM:
// space-separated key=value pairs, every one optional.
//
//   board=KIND     board kind name (any case, sim_boards.cpp) or PCI device ID ("0x0028", "40");
//                  an unlisted device ID makes an unsupported NVIDIA device. TNT2.
//   slot=BUS:DEV   where the board sits (bus 0-255, device 0-31). 1:0.
//   board2=KIND    a second NVIDIA device; slot2=BUS:DEV places it (2:0).
//   mech=1|2       configuration mechanism of the host bridge. 1.
//   xtal=14.31818|13.5  crystal strap. 14.31818.
//   ddr=0|1        DDR bit of the memory configuration. 0.
//   gfx=WORD mem=WORD   PLL words in hex (with or without 0x). The words the
//                  utility's PLL search gives for the detected board's default clocks.
//   driver=ok|missing|refuse   VELKOR.VXD's behaviour. ok.
//   dpmi=ok|fail|fault   the DPMI mapping used when VELKOR.VXD is missing:
//                  maps the chip, reports failure, or hands back an address
//                  that faults. fail, so that a missing driver still ends the run.
//   vram=4|8|16|32 MiB of video memory, as the chip's memory configuration
//                  reports it. 16 on the TNT family, 32 on the GeForce 256.
//   memok=MHZ gfxok=MHZ   the highest clocks at which the video memory and
//                  the chip's 3D rendering are still free of errors. 20% above
//                  the board's default clocks.
//   gfx2dok=MHZ    the highest core clock at which the chip's copies are still
//                  free of errors. gfxok + 8.
//   d3d=0|1        whether the machine has DirectX 6 (the 3D render). 1.
//   memhang=MHZ gfxhang=MHZ   above these the machine stops while the clock
//                  test uses the memory. 25% above memok and gfxok.
//   seed=N         the video memory's errors repeat for the same N. 1.
//
// A host bridge at 0:0 and an AGP bridge at 0:1 complete the bus unless a
// board is placed there.
#include <stdint.h>

#include "sim/sim_driver.h"
#include "sim/sim_physical_memory.h"
#include "sim/sim_video_blocks.h"

class SimPc;

struct SimBoardPlace {
    uint16_t deviceId;
    uint32_t bus;
    uint32_t device;
};

struct SimConfig {
    SimBoardPlace board = {0x0028, 1, 0};
    bool hasBoard2 = false;
    SimBoardPlace board2 = {0, 2, 0};
    uint32_t mechanism = 1;
    bool crystal14 = true;
    bool ddr = false;
    bool gfxWordGiven = false;
    uint32_t gfxWord = 0;
    bool memWordGiven = false;
    uint32_t memWord = 0;
    SimDriverMode driver = SimDriverMode::Ok;
    SimDpmiMode dpmi = SimDpmiMode::Fail;
    uint32_t vramMiB = 0;  // 0: the board's usual size
    uint32_t memOkMHz = 0;  // 0 in any of the four: derived from the default clocks
    uint32_t gfxOkMHz = 0;
    uint32_t gfx2dOkMHz = 0;
    uint32_t memHangMHz = 0;
    uint32_t gfxHangMHz = 0;
    uint32_t seed = 1;
    bool d3d = true;
};

// Fills *config from text (null or empty: all defaults). 1 on success; 0 with
// a NUL-terminated message naming the offending key or value in error
// (cut to errorSize), and *config holding the defaults plus what was parsed.
int ParseSimConfig(const char* text, SimConfig* config, char* error, int errorSize);

// Puts the bus, the chip's identification, strap, DDR bit, PLL words and
// memory size, the driver's and the DPMI mapping's modes and the video
// memory's limits into the state the configuration describes. Trace entries
// are not made.
void ApplySimConfig(SimPc* pc, const SimConfig& config);

// The board the utility will pick on this bus (lowest reachable slot with a
// supported chip), or the first board when none is supported.
const SimBoardPlace& SimDetectedBoard(const SimConfig& config);

// The value of a chip's identification register (NV4/NV5 or NV10 layout).
// Unlisted device IDs answer as a TNT2.
uint32_t SimChipIdentification(uint16_t deviceId);

// The PLL word the utility's search gives for a board's default clock in a
// domain (0 graphics, 1 memory), the memory target doubled on a DDR GeForce
// 256. Unlisted device IDs take the TNT2 clocks.
uint32_t SimDefaultPllWord(uint16_t deviceId, bool crystal14, bool ddr, uint32_t domain);

// The video memory's size and limits for the detected board, the defaults
// filled in.
uint32_t SimVideoMemoryMiB(const SimConfig& config);
SimVideoBlocksLimits SimVideoBlocksLimitsOf(const SimConfig& config);
