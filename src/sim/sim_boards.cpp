#include "sim/sim_boards.h"

#include "platform/text.h"

namespace {

// NV4/NV5: architecture 4 in bits 12-15, revision in bits 16-23 (major 0 is
// the TNT, 1 and 2 the TNT2 family), foundry in bits 28-31. NV10: the chip
// number 0x10 in bits 20-27, the low bits of the device ID in bits 16-19, the
// stepping in bits 0-7. One plausible revision per kind.
const SimBoardModel kBoards[] = {
    {0x0020, "TNT", SimChipFamily::RivaTnt, 0x20044000u, 90, 110},
    {0x0028, "TNT2", SimChipFamily::RivaTnt2, 0x20114000u, 125, 150},
    {0x0029, "UltraTNT2", SimChipFamily::RivaTnt2, 0x20114000u, 150, 183},
    {0x002C, "Vanta", SimChipFamily::RivaTnt2, 0x20154000u, 100, 125},
    {0x002D, "TNT2Value", SimChipFamily::RivaTnt2, 0x20154000u, 125, 150},
    {0x0100, "Gravenor", SimChipFamily::GeForce256, 0x010000A1u, 120, 166},
    {0x0101, "GravenorPro", SimChipFamily::GeForce256, 0x010100A1u, 120, 150},
};
const SimBoardModel& kTnt2 = kBoards[1];

}  // namespace

const SimBoardModel* SimBoardModelOf(uint16_t deviceId)
{
    for (const SimBoardModel& board : kBoards) {
        if (board.deviceId == deviceId)
            return &board;
    }
    return nullptr;
}

const SimBoardModel& SimBoardModelOrTnt2(uint16_t deviceId)
{
    const SimBoardModel* board = SimBoardModelOf(deviceId);
    return board ? *board : kTnt2;
}

int SimParseDeviceId(const char* text, uint16_t* deviceId)
{
    uint32_t number;
    if (ParseUnsigned(text, &number)) {
        if (number > 0xFFFF)
            return 0;
        *deviceId = static_cast<uint16_t>(number);
        return 1;
    }
    for (const SimBoardModel& board : kBoards) {
        if (EqualIgnoringCase(text, board.name)) {
            *deviceId = board.deviceId;
            return 1;
        }
    }
    return 0;
}
