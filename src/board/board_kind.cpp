#include "board/board_kind.h"

#include <stddef.h>

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

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
    }
    return *a == *b;
}

int DigitValue(char c, uint32_t base)
{
    uint32_t digit;
    if (c >= '0' && c <= '9')
        digit = static_cast<uint32_t>(c - '0');
    else if (LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f')
        digit = static_cast<uint32_t>(LowerAscii(c) - 'a' + 10);
    else
        return -1;
    return digit < base ? static_cast<int>(digit) : -1;
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

int ParseUnsigned(const char* text, uint32_t* value)
{
    if (!text || !value)
        return 0;
    uint32_t base = 10;
    if (text[0] == '0' && LowerAscii(text[1]) == 'x') {
        base = 16;
        text += 2;
    }
    if (*text == '\0')
        return 0;
    uint64_t result = 0;
    for (; *text; ++text) {
        int digit = DigitValue(*text, base);
        if (digit < 0)
            return 0;
        result = result * base + static_cast<uint32_t>(digit);
        if (result > 0xFFFFFFFFull)
            return 0;
    }
    *value = static_cast<uint32_t>(result);
    return 1;
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
