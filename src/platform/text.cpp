#include "platform/text.h"

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
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

bool EqualIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
    }
    return *a == *b;
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
