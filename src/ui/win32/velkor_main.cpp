// Velkor.exe: the utility on the real machine (placeholder until the entry lands).
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 1;
}
