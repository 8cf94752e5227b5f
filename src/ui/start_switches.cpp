#include "ui/start_switches.h"

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

StartSwitch ParseStartSwitch(const char* tail)
{
    // A tail of zero or one character is no switch.
    if (!tail || !tail[0] || !tail[1])
        return StartSwitch::None;
    if (tail[0] != '-' && tail[0] != '/')
        return StartSwitch::None;
    switch (LowerAscii(tail[1])) {
    case 'q':
        return StartSwitch::Hidden;
    case 's':
        return StartSwitch::HiddenStored;
    default:
        return StartSwitch::None;
    }
}
