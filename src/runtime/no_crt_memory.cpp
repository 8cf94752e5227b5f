// The C library's memory and string functions for the programs without the
// C runtime DLL (no_crt_entry.cpp): those the code calls, and memcpy,
// memmove, memset and memcmp, which GCC may call for any copy or zeroing.
// The linker keeps only those a program uses. Built with -fno-builtin and
// -fno-tree-loop-distribute-patterns (cmake/windows.cmake), so that GCC does
// not turn these loops back into calls of the functions themselves.
#include <stddef.h>

extern "C" {

void* memcpy(void* target, const void* source, size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(target);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    while (count--)
        *to++ = *from++;
    return target;
}

void* memmove(void* target, const void* source, size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(target);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    if (to <= from)
        return memcpy(target, source, count);
    while (count--)
        to[count] = from[count];
    return target;
}

void* memset(void* target, int value, size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(target);
    while (count--)
        *to++ = static_cast<unsigned char>(value);
    return target;
}

int memcmp(const void* left, const void* right, size_t count)
{
    const unsigned char* a = static_cast<const unsigned char*>(left);
    const unsigned char* b = static_cast<const unsigned char*>(right);
    for (; count; --count, ++a, ++b) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
    }
    return 0;
}

void* memchr(const void* block, int value, size_t count)
{
    const unsigned char* p = static_cast<const unsigned char*>(block);
    for (; count; --count, ++p) {
        if (*p == static_cast<unsigned char>(value))
            return const_cast<unsigned char*>(p);
    }
    return NULL;
}

size_t strlen(const char* text)
{
    const char* end = text;
    while (*end)
        ++end;
    return static_cast<size_t>(end - text);
}

char* strchr(const char* text, int value)
{
    for (;; ++text) {
        if (*text == static_cast<char>(value))
            return const_cast<char*>(text);
        if (!*text)
            return NULL;
    }
}

int strcmp(const char* left, const char* right)
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(left);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(right);
    while (*a && *a == *b)
        ++a, ++b;
    return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

char* strcpy(char* target, const char* source)
{
    char* to = target;
    while ((*to++ = *source++) != '\0') {
    }
    return target;
}

char* strcat(char* target, const char* source)
{
    strcpy(target + strlen(target), source);
    return target;
}

}  // extern "C"
