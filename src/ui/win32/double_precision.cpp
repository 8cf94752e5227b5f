#include "ui/win32/double_precision.h"

void UseDoublePrecision()
{
#if defined(__i386__)
    unsigned short control;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    control = static_cast<unsigned short>((control & ~0x0300u) | 0x0200u);
    __asm__ volatile("fldcw %0" : : "m"(control));
#endif
}
