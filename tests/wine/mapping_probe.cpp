// The two ways to the chip's registers, through Velkor's own Win32 code,
// under Wine in Windows 98 mode. Prints key=value lines.
//
//   mapping_probe.exe MODE...
//     dpmi    the walk of kernel32's exports for VxDCall2 and the fallback's
//             answer; then the DPMI call made for real through the entry the
//             forwarder names, and the identification check on the address
//             Wine hands back and on a page without access (the guarded
//             read must catch the fault)
//     guard   the guarded read's handler, handed each fault report directly
//     driver  VELKOR.VXD, a stand-in beside this program: the request it
//             receives, the window over the address it answers, and a zero
//             address refused
#include <windows.h>

#include <stdio.h>
#include <string.h>

// First: it renames GetSystemDirectory back before the seams are declared.
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_guard_frame.h"

#include "platform/dpmi_mapping.h"
#include "board/chip_registers.h"
#include "board/register_mapping.h"

namespace {

const uint32_t kAperture = 0xE6000008u;  // as read from BAR0: flag bits set

void* ExceptionChainHead()
{
    void* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

const char* KindName(ExportKind kind)
{
    switch (kind) {
    case ExportKind::Code:
        return "code";
    case ExportKind::Forwarder:
        return "forwarder";
    case ExportKind::Named:
        return "named";
    default:
        return "missing";
    }
}

// The function a "module.function" forwarder names, loaded as Wine would.
uintptr_t ResolveForwarder(const char* forwarder)
{
    const char* dot = strrchr(forwarder, '.');
    char module[MAX_PATH];
    if (!dot || static_cast<size_t>(dot - forwarder) >= sizeof(module))
        return 0;
    memcpy(module, forwarder, dot - forwarder);
    module[dot - forwarder] = '\0';
    HMODULE loaded = LoadLibraryA(module);
    return loaded ? reinterpret_cast<uintptr_t>(GetProcAddress(loaded, dot + 1)) : 0;
}

int ProbeDpmi()
{
    const uint8_t* kernel32 = reinterpret_cast<const uint8_t*>(GetModuleHandleA("KERNEL32.DLL"));
    uintptr_t entry = 0;
    const char* forwarder = "";
    ExportKind kind = FindExportByOrdinal(kernel32, kVxDCall2Ordinal, &entry, &forwarder);
    printf("vxdcall2=%s %s\n", KindName(kind), kind == ExportKind::Forwarder ? forwarder : "");

    // What detection does on this system: the fallback is not there.
    Win32PhysicalMemory memory;
    uint32_t linear = 0xDEADBEEFu;
    printf("fallback_map=%d %08lX\n", memory.Map(0xE6000000u, 0x1000, &linear), static_cast<unsigned long>(linear));
    printf("without_driver=%s\n", MapRegistersWithoutDriver(&memory, kAperture) ? "window" : "none");

    // The call made anyway, through the function the forwarder names.
    if (kind == ExportKind::Forwarder)
        entry = ResolveForwarder(forwarder);
    printf("entry_resolved=%d\n", entry != 0 ? 1 : 0);
    if (!entry)
        return 1;
    void* chainBefore = ExceptionChainHead();
    linear = 0;
    int mapped = CallVxDDpmiMap(entry, 0xE6000000u, 0x1000, &linear);
    printf("dpmi_call=%d %08lX\n", mapped, static_cast<unsigned long>(linear));
    RegisterRange piece = {0, 0x1000, linear};
    RegisterWindow* window = memory.WindowOver(&piece, 1);
    uint32_t id = 0;
    int read = window->GuardedRead32(kChipIdRegister, &id);
    printf("wine_address_read=%d %08lX\n", read, static_cast<unsigned long>(id));
    printf("wine_address_chip=%d\n", ChipAnswers(window));

    // Whether Wine's address faults depends on what lies there in this
    // process; a page without access surely does, where the CPU enforces
    // page protection (qemu's user-mode emulator does not).
    uint8_t* page = static_cast<uint8_t*>(VirtualAlloc(NULL, 0x1000, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS));
    piece.linearAddress = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(page));
    window = memory.WindowOver(&piece, 1);
    read = window->GuardedRead32(kChipIdRegister, &id);
    printf("no_access_read=%d\n", read);
    printf("no_access_chip=%d\n", ChipAnswers(window));
    printf("chain=%s\n", ExceptionChainHead() == chainBefore ? "intact" : "broken");
    printf("survived=1\n");
    return 0;
}

// The guarded read's handler, handed each report a host may make of the
// read: every fault code at the guarded instruction is stepped over, and the
// same codes anywhere else are passed on untouched. One line per case:
// "guard_CODE_WHERE=disposition faulted eip-advance eax".
void ProbeGuardHandler()
{
    static const uint8_t guardedRead[4] = {0x8B, 0x02, 0x90, 0x90};
    static const uint8_t otherRead[4] = {0x8B, 0x00, 0x90, 0x90};
    static const DWORD codes[] = {EXCEPTION_ACCESS_VIOLATION, EXCEPTION_IN_PAGE_ERROR,
                                  EXCEPTION_ILLEGAL_INSTRUCTION, EXCEPTION_PRIV_INSTRUCTION,
                                  EXCEPTION_BREAKPOINT};
    for (DWORD code : codes) {
        for (int at = 0; at < 2; ++at) {
            const uint8_t* where = at == 0 ? guardedRead : otherRead;
            EXCEPTION_RECORD record = {};
            record.ExceptionCode = code;
            CONTEXT context = {};
            context.Eip = static_cast<DWORD>(reinterpret_cast<uintptr_t>(where));
            context.Eax = 0x12345678u;
            GuardFrame frame = {nullptr, nullptr, 0};
            EXCEPTION_DISPOSITION disposition = GuardedReadFaultHandler(&record, &frame, &context, nullptr);
            printf("guard_%08lX_%s=%s %lu %lu %08lX\n", static_cast<unsigned long>(code),
                   at == 0 ? "guarded" : "elsewhere",
                   disposition == ExceptionContinueExecution ? "continue" : "search",
                   static_cast<unsigned long>(frame.faulted),
                   static_cast<unsigned long>(context.Eip - reinterpret_cast<uintptr_t>(where)),
                   static_cast<unsigned long>(context.Eax));
        }
    }
}

int ProbeDriver()
{
    typedef void(WINAPI * LastRequest)(uint32_t*, uint32_t*, uint32_t*);
    Win32KernelDriver driver;
    DriverHandle handle = driver.Open();
    printf("driver_open=%s\n", handle == kInvalidDriverHandle ? "invalid" : "opened");
    HMODULE standIn = GetModuleHandleA("velkor.vxd");
    LastRequest lastRequest = standIn ? reinterpret_cast<LastRequest>(
                                          reinterpret_cast<void*>(GetProcAddress(standIn, "StandInLastRequest"))) : 0;
    if (handle == kInvalidDriverHandle || !lastRequest) {
        printf("standin_loaded=0\n");
        return 1;
    }
    printf("standin_loaded=1\n");

    MapRequest request = {kAperture, kRegisterWindowBytes};
    uint32_t linear = 0;
    uint32_t bytes = driver.Map(handle, &request, &linear);
    uint32_t physical = 0, length = 0, aperture = 0;
    lastRequest(&physical, &length, &aperture);
    printf("map_bytes=%lu\n", static_cast<unsigned long>(bytes));
    printf("received=%08lX %08lX\n", static_cast<unsigned long>(physical), static_cast<unsigned long>(length));
    printf("linear_is_standin_block=%d\n", linear != 0 && linear == aperture ? 1 : 0);
    RegisterWindow* window = driver.WindowAt(linear);
    if (window) {
        printf("read_id=%08lX\n", static_cast<unsigned long>(window->Read32(kChipIdRegister)));
        printf("read_pll=%08lX\n", static_cast<unsigned long>(window->Read32(0x680500)));
        printf("driver_chip=%d\n", ChipAnswers(window));
    }

    SetEnvironmentVariableA("VELKOR_STANDIN_ZERO", "1");
    linear = 0xDEADBEEFu;
    bytes = driver.Map(handle, &request, &linear);
    printf("zero_map=%lu %08lX\n", static_cast<unsigned long>(bytes), static_cast<unsigned long>(linear));
    printf("zero_window=%s\n", driver.WindowAt(linear) ? "window" : "none");
    SetEnvironmentVariableA("VELKOR_STANDIN_ZERO", NULL);
    driver.Close(handle);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    int result = argc < 2 ? 2 : 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "dpmi") == 0) {
            result |= ProbeDpmi();
        } else if (strcmp(argv[i], "guard") == 0) {
            ProbeGuardHandler();
        } else if (strcmp(argv[i], "driver") == 0) {
            result |= ProbeDriver();
        } else {
            printf("unknown mode %s\n", argv[i]);
            return 2;
        }
    }
    return result;
}
