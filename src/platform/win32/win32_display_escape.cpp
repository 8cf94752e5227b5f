// The NVIDIA display driver's private escape that names its registry key.
#include <windows.h>

#include <string.h>

#include "platform/win32/win32_platform.h"

namespace {

typedef HDC(WINAPI* CreateDcProc)(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* data);
typedef int(WINAPI* ExtEscapeProc)(HDC dc, int escape, int inputBytes, LPCSTR input, int outputBytes,
                                   LPSTR output);
typedef BOOL(WINAPI* DeleteDcProc)(HDC dc);

template <typename Proc>
Proc Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

int Win32Display::QueryDriverKey(char output[kDriverKeyEscapeBytes])
{
    // A driver that answers with less than the whole buffer leaves zeros behind.
    memset(output, 0, kDriverKeyEscapeBytes);
    // GDI32 is loaded here, not at start-up: Arbolt.exe needs nothing else of
    // it and, at a log-on without a board, starts and ends without. Once
    // loaded it stays for the rest of the run (the key is asked for once).
    HMODULE gdi32 = LoadLibraryA("GDI32.DLL");
    if (!gdi32)
        return 0;
    CreateDcProc createDc = Entry<CreateDcProc>(gdi32, "CreateDCA");
    ExtEscapeProc extEscape = Entry<ExtEscapeProc>(gdi32, "ExtEscape");
    DeleteDcProc deleteDc = Entry<DeleteDcProc>(gdi32, "DeleteDC");
    int result = 0;
    HDC dc = createDc && extEscape && deleteDc ? createDc("DISPLAY", NULL, NULL, NULL) : NULL;
    if (dc) {
        result = extEscape(dc, kDriverKeyEscape, 0, NULL, kDriverKeyEscapeBytes, output);
        deleteDc(dc);
    }
    return result;
}
