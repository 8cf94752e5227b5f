#pragma once
// The boards the simulated PC can carry, as the simulator itself knows them:
// PCI device ID, name, chip family, the chip's identification register and
// the default clocks. The simulator keeps its own table rather than the
// program's, so that it checks the program's detection instead of repeating it.
#include <stdint.h>

const uint16_t kSimNvidiaVendorId = 0x10DE;

enum class SimChipFamily : uint32_t {
    RivaTnt,     // NV4: the utility searches its PLL words in floating point
    RivaTnt2,    // NV5 and NV6: TNT2, TNT2 Ultra, Vanta, TNT2 M64
    GeForce256,  // NV10: DDR memory possible, its memory size in MiB, a
                 // display reset after every clock write
};

struct SimBoardModel {
    uint16_t deviceId;
    const char* name;  // as the utility's code spells the kind ("TNT2", "GravenorPro")
    SimChipFamily family;
    uint32_t identification;  // the chip's identification register
    uint32_t gfxMHz;          // default clocks
    uint32_t memMHz;
};

// The board with this device ID, or null when the utility does not support it.
const SimBoardModel* SimBoardModelOf(uint16_t deviceId);
// The same, except that an unlisted device ID answers as a TNT2 does.
const SimBoardModel& SimBoardModelOrTnt2(uint16_t deviceId);
// A device ID from a board name (any case) or a number ("0x0028", "40");
// a number may name an unlisted device. 1 on success.
int SimParseDeviceId(const char* text, uint16_t* deviceId);
