#pragma once
// The supported chips: PCI device ID, BoardKind and the names people use for them.
#include <stdint.h>

#include "app_state.h"

const uint16_t kNvidiaVendorId = 0x10DE;

// The kind for an NVIDIA device ID, or BoardKind::None when it is not supported.
BoardKind BoardKindFromDeviceId(uint16_t deviceId);
// The PCI device ID of a kind (0 for None).
uint16_t DeviceIdOfBoardKind(BoardKind kind);
// The kind's name as written in code ("TNT2", "GravenorPro"); "None" for 0
// and for values outside the table.
const char* BoardKindName(BoardKind kind);
// A kind from its name (any case) or from a device ID written as a number
// ("0x0028", "40"). BoardKind::None when the text names no supported board.
BoardKind ParseBoardKind(const char* text);
