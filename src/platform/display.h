#pragma once
// The display: the mode reset that follows a GeForce clock change, and the
// NVIDIA display driver's private escape that names its registry key.
#include <stdint.h>

const int kDriverKeyEscape = 28287;         // 0x6E7F
const uint32_t kDriverKeyEscapeBytes = 256; // output buffer of the escape

class Display {
public:
    // ChangeDisplaySettingsA(NULL, CDS_RESET), looked up in USER32 at every call.
    // 1 when it reported DISP_CHANGE_SUCCESSFUL, 0 otherwise.
    virtual int ResetMode() = 0;
    // CreateDCA("DISPLAY") + ExtEscape(28287, no input, 256-byte output) + DeleteDC.
    // Returns the escape's result (0 or less, also with no device context, is failure).
    virtual int QueryDriverKey(char output[kDriverKeyEscapeBytes]) = 0;

protected:
    ~Display() = default;
};
