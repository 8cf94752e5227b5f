#include "ui/start_switches.h"

namespace {

// Blanks and control characters, as the command line separates words with
// them. Bytes above 0x7F are characters of the program name.
bool IsSeparator(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return u != 0 && u <= ' ';
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const char* CommandLineTail(const char* commandLine)
{
    if (!commandLine)
        return "";
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && !IsSeparator(*p))
            ++p;
    }
    while (IsSeparator(*p))
        ++p;
    return p;
}

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
