#include "runtime/command_line.h"

namespace {

// Blanks and control characters, as the command line separates words with
// them. Bytes above 0x7F are characters of the program name.
bool IsSeparator(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return u != 0 && u <= ' ';
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
