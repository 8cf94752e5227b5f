#include "board/board_kind.h"

#include <stddef.h>

#include "platform/text.h"

namespace {

struct BoardKindRow {
    uint16_t deviceId;
    BoardKind kind;
    const char* name;
};

const BoardKindRow kBoardKinds[] = {
    {0x0020, BoardKind::TNT, "TNT"},
    {0x0028, BoardKind::TNT2, "TNT2"},
    {0x0029, BoardKind::UltraTNT2, "UltraTNT2"},
    {0x002C, BoardKind::Vanta, "Vanta"},
    {0x002D, BoardKind::TNT2Value, "TNT2Value"},
    {0x0100, BoardKind::Gravenor, "Gravenor"},
    {0x0101, BoardKind::GravenorPro, "GravenorPro"},
};

const BoardKindRow* RowOfKind(BoardKind kind)
{
    for (const BoardKindRow& row : kBoardKinds) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

}  // namespace

BoardKind BoardKindFromDeviceId(uint16_t deviceId)
{
    for (const BoardKindRow& row : kBoardKinds) {
        if (row.deviceId == deviceId)
            return row.kind;
    }
    return BoardKind::None;
}

uint16_t DeviceIdOfBoardKind(BoardKind kind)
{
    const BoardKindRow* row = RowOfKind(kind);
    return row ? row->deviceId : 0;
}

const char* BoardKindName(BoardKind kind)
{
    const BoardKindRow* row = RowOfKind(kind);
    return row ? row->name : "None";
}

BoardKind ParseBoardKind(const char* text)
{
    if (!text)
        return BoardKind::None;
    for (const BoardKindRow& row : kBoardKinds) {
        if (EqualIgnoringCase(text, row.name))
            return row.kind;
    }
    uint32_t deviceId;
    if (ParseUnsigned(text, &deviceId) && deviceId <= 0xFFFF)
        return BoardKindFromDeviceId(static_cast<uint16_t>(deviceId));
    return BoardKind::None;
}
