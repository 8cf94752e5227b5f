#include "ui/arbolt_switches.h"

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

static const char* SkipBlanks(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    return text;
}

// What follows the word (any case) when text begins with it and the word
// ends there; null otherwise.
static const char* AfterWord(const char* text, const char* word)
{
    for (; *word; ++text, ++word) {
        if (LowerAscii(*text) != *word)
            return 0;
    }
    return (*text == '\0' || *text == ' ' || *text == '\t') ? SkipBlanks(text) : 0;
}

// A quoted path and nothing but blanks behind it: copied to path, 1.
static int TakeQuotedPath(const char* text, char* path, uint32_t pathSize)
{
    if (*text != '"')
        return 0;
    uint32_t length = 0;
    for (++text; *text && *text != '"'; ++text) {
        if (length + 1 >= pathSize)
            return 0;
        path[length++] = *text;
    }
    path[length] = '\0';
    return *text == '"' && *SkipBlanks(text + 1) == '\0' && length > 0;
}

ArboltSwitch ParseArboltSwitch(const char* tail, char* path, uint32_t pathSize)
{
    if (pathSize)
        path[0] = '\0';
    if (!tail || (tail[0] != '-' && tail[0] != '/'))
        return ArboltSwitch::None;
    const char* rest = 0;
    if ((rest = AfterWord(tail + 1, "running")) && !*rest)
        return ArboltSwitch::Running;
    if ((rest = AfterWord(tail + 1, "board")) && !*rest)
        return ArboltSwitch::Board;
    if ((rest = AfterWord(tail + 1, "uninstall"))) {
        if (!*rest)
            return ArboltSwitch::Uninstall;
        if (pathSize && TakeQuotedPath(rest, path, pathSize))
            return ArboltSwitch::Uninstall;
        if (pathSize)
            path[0] = '\0';
    }
    return ArboltSwitch::BadUsage;
}

ArboltSwitch ParseArboltSwitch(const char* tail)
{
    char ignored[256];
    return ParseArboltSwitch(tail, ignored, sizeof ignored);
}
