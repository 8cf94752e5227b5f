#pragma once
// The fixed clocks of every supported board, in whole MHz.
#include <stdint.h>

#include "app_state.h"

struct DomainConstants {
    uint32_t floor;         // lowest limit the limits dialog allows
    uint32_t defaultClock;  // the clock the board ships with
    uint32_t defaultMax;    // upper end of the slider before the user widens it
    uint32_t ceiling;       // highest limit the limits dialog allows
};

struct BoardRow {
    DomainConstants gfx;
    DomainConstants mem;
};

// The row of a detected board; nullptr for BoardKind::None or an unknown kind.
const BoardRow* BoardTableRow(BoardKind kind);

// Distance of the initial slider minimum below the default clock.
const uint32_t kInitialMinBelowDefault = 10;
