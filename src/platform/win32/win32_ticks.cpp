#include <windows.h>

#include "platform/win32/win32_platform.h"

void Win32Ticks::Sleep(uint32_t milliseconds)
{
    ::Sleep(milliseconds);
}

uint32_t Win32Ticks::GetTickCount()
{
    return ::GetTickCount();
}
