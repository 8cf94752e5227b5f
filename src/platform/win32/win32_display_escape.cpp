// The NVIDIA display driver's private escape that names its registry key.
#include <windows.h>

#include <string.h>

#include "platform/win32/win32_platform.h"

int Win32Display::QueryDriverKey(char output[kDriverKeyEscapeBytes])
{
    // A driver that answers with less than the whole buffer leaves zeros behind.
    memset(output, 0, kDriverKeyEscapeBytes);
    HDC dc = CreateDCA("DISPLAY", NULL, NULL, NULL);
    if (!dc)
        return 0;
    int result = ExtEscape(dc, kDriverKeyEscape, 0, NULL, kDriverKeyEscapeBytes, output);
    DeleteDC(dc);
    return result;
}
