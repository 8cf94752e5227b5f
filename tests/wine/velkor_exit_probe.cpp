// What Velkor.exe's start meets under Wine, seen from inside a Windows program.
//
//   velkor_exit_probe.exe MODE...
//     ports    the version the program sees, then the configuration ports
//              through Win32Ports
//     system   the version, driver and display seams
//     window   shows a window for a moment: the control that proves the
//              window watcher sees one
//
// A GUI program, so that Wine starts no console host beside it; its output
// still goes to the standard handles the shell gave it.
// "ports" prints key=value lines: platform, refused (the platform refused
// in/out and the fault handler stepped over it), the values read, and whether
// the exception chain at fs:[0] is the same after the port accesses as before.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "board/pci_config.h"
#include "platform/win32/win32_platform.h"

namespace {

void* ExceptionChainHead()
{
    void* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

int ProbePorts()
{
    Win32SystemInfo system;
    printf("platform=%lu\n", static_cast<unsigned long>(system.GetPlatformId()));
    printf("version=%08lX\n", static_cast<unsigned long>(system.GetVersion()));

    Win32Ports ports;
    void* chainBefore = ExceptionChainHead();
    // Mechanism #1: address of bus 0 device 0, then its first double word.
    ports.OutDword(kPciConfigAddressPort, 0x80000000u);
    int refusedByFirstWrite = ports.Refused() ? 1 : 0;
    uint32_t first = ports.InDword(kPciConfigDataPort);
    // Mechanism #2: enable, forward, a double word of device 0, disable.
    ports.OutByte(kPciConfigAddressPort, 0xF0);
    ports.OutByte(kPciForwardPort, 0x00);
    uint32_t second = ports.InDword(kPciConfigSpaceBase);
    uint8_t byte = ports.InByte(kPciForwardPort);
    ports.OutByte(kPciConfigAddressPort, 0x00);
    void* chainAfter = ExceptionChainHead();

    printf("refused=%d\n", ports.Refused() ? 1 : 0);
    printf("refused_by_first_write=%d\n", refusedByFirstWrite);
    printf("mechanism1_dword=%08lX\n", static_cast<unsigned long>(first));
    printf("mechanism2_dword=%08lX\n", static_cast<unsigned long>(second));
    printf("byte=%02X\n", byte);
    printf("chain=%s\n", chainBefore == chainAfter ? "intact" : "broken");
    printf("survived=1\n");
    return 0;
}

// The other Win32 seams that Velkor.exe's start uses, where Wine can answer
// them: the system directory, the file version of this very program (its
// version resource says 1.2.3.400) and of a missing file, VELKOR.VXD (absent
// here), and the display reset.
int ProbeSystem()
{
    Win32SystemInfo system;
    char directory[256];
    memset(directory, 0, sizeof(directory));
    uint32_t length = system.GetSystemDirectory(directory, 255);
    printf("system_directory=%s\n", directory);
    printf("system_directory_length_ok=%d\n", length != 0 && length == strlen(directory) ? 1 : 0);

    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof(self));
    uint32_t versionMS = 0;
    uint32_t versionLS = 0;
    int found = system.GetFileVersion(self, &versionMS, &versionLS);
    printf("own_version=%d %08lX %08lX\n", found, static_cast<unsigned long>(versionMS),
           static_cast<unsigned long>(versionLS));
    versionMS = versionLS = 0xDEADBEEF;
    found = system.GetFileVersion("C:\\velkor-no-such-folder\\NVCORE.VXD", &versionMS, &versionLS);
    printf("missing_version=%d %08lX %08lX\n", found, static_cast<unsigned long>(versionMS),
           static_cast<unsigned long>(versionLS));

    Win32KernelDriver driver;
    DriverHandle handle = driver.Open();
    DWORD openError = GetLastError();
    printf("driver_open=%s %lu\n", handle == kInvalidDriverHandle ? "invalid" : "opened",
           static_cast<unsigned long>(openError));
    MapRequest request = {0xE0000008u, kRegisterWindowBytes};
    uint32_t linearAddress = 0;
    printf("driver_map_bytes=%lu\n", static_cast<unsigned long>(driver.Map(handle, &request, &linearAddress)));
    printf("window_at_zero=%s\n", driver.WindowAt(0) ? "window" : "none");
    if (handle != kInvalidDriverHandle)
        driver.Close(handle);

    Win32Display display;
    printf("display_reset=%d\n", display.ResetMode());
    return 0;
}

int ShowWindowBriefly()
{
    HWND window = CreateWindowExA(0, "STATIC", "velkor_exit_probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                                  100, NULL, NULL, GetModuleHandleA(NULL), NULL);
    if (!window) {
        printf("window=0\n");
        return 1;
    }
    // Pump long enough for the window to reach the X server.
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 500) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(20);
    }
    DestroyWindow(window);
    printf("window=1\n");
    return 0;
}

}  // namespace

// The modes run in the order given, in one process: every start costs seconds.
int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc < 2) {
        printf("usage: velkor_exit_probe.exe ports|system|window...\n");
        return 2;
    }
    int result = 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "ports") == 0) {
            result |= ProbePorts();
        } else if (strcmp(argv[i], "system") == 0) {
            result |= ProbeSystem();
        } else if (strcmp(argv[i], "window") == 0) {
            result |= ShowWindowBriefly();
        } else {
            printf("unknown mode %s\n", argv[i]);
            return 2;
        }
    }
    return result;
}
