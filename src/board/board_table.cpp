#include "board/board_table.h"

// Indexed by BoardKind. TNT2 and TNT2 M64 are the same board as far as clocks
// go; the two GeForce 256 boards share the core but not the memory.
static const BoardRow kBoardRows[] = {
    /* TNT         */ {{70, 90, 100, 125}, {90, 110, 125, 143}},
    /* TNT2        */ {{100, 125, 140, 166}, {125, 150, 166, 183}},
    /* UltraTNT2   */ {{125, 150, 166, 183}, {166, 183, 200, 220}},
    /* Vanta       */ {{80, 100, 110, 143}, {100, 125, 138, 150}},
    /* TNT2Value   */ {{100, 125, 140, 166}, {125, 150, 166, 183}},
    /* Gravenor    */ {{100, 120, 135, 150}, {150, 166, 183, 200}},
    /* GravenorPro */ {{100, 120, 135, 150}, {135, 150, 166, 183}},
};

const BoardRow* BoardTableRow(BoardKind kind)
{
    uint32_t index = static_cast<uint32_t>(kind);
    if (index < 1 || index > sizeof kBoardRows / sizeof kBoardRows[0])
        return nullptr;
    return &kBoardRows[index - 1];
}
