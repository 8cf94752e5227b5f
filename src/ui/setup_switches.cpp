#include "ui/setup_switches.h"

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// 1 when text is the word (any case) followed by the end or blanks only.
static int IsWord(const char* text, const char* word)
{
    for (; *word; ++text, ++word) {
        if (LowerAscii(*text) != *word)
            return 0;
    }
    while (*text == ' ' || *text == '\t')
        ++text;
    return *text == '\0';
}

SetupSwitch ParseSetupSwitch(const char* tail)
{
    if (!tail || (tail[0] != '-' && tail[0] != '/'))
        return SetupSwitch::None;
    if (IsWord(tail + 1, "running"))
        return SetupSwitch::Running;
    if (IsWord(tail + 1, "uninstall"))
        return SetupSwitch::Uninstall;
    return SetupSwitch::None;
}
