#include "board/board_detect.h"

#include <string.h>

#include "app_state.h"
#include "board/board_kind.h"
#include "board/chip_registers.h"
#include "board/pci_config.h"
#include "board/register_mapping.h"

namespace {

const uint32_t kSystemDirectoryChars = 255;
const char kDisplayCoreFile[] = "\\NVCORE.VXD";

// Win32s and NT 3.x report major version 3; neither runs the utility.
bool IsVersion3(uint32_t version)
{
    return (version & 0xFFu) == 3;
}

// The slot of the first supported chip, or -1. Sets boardKind and deviceId.
int32_t FindSupportedChip()
{
    for (int32_t slot = 0; slot < kPciSlots; ++slot) {
        uint32_t present = 0;
        if (!ReadPciConfig(slot, kPciDevicePresent, &present))
            continue;
        uint32_t vendorId = 0;
        uint32_t deviceId = 0;
        ReadPciConfig(slot, kPciVendorId, &vendorId);
        ReadPciConfig(slot, kPciDeviceId, &deviceId);
        if (vendorId != kNvidiaVendorId)
            continue;
        BoardKind kind = BoardKindFromDeviceId(static_cast<uint16_t>(deviceId));
        if (kind != BoardKind::None) {
            gApp.deviceId = static_cast<uint16_t>(deviceId);
            gApp.boardKind = kind;
            return slot;
        }
    }
    return -1;
}

// The fourth number of NVCORE.VXD's file version, or 0 when it cannot be read.
uint32_t ReadDisplayDriverBuild(SystemInfo* system)
{
    // Room for the whole directory the system may give plus the file name.
    char path[kSystemDirectoryChars + sizeof(kDisplayCoreFile)];
    memset(path, 0, sizeof(path));
    uint32_t length = system->GetSystemDirectory(path, kSystemDirectoryChars);
    // 0 is a failure and a length that does not fit is the size the call
    // wanted, with nothing copied: either way there is no path to read.
    if (length == 0 || length >= kSystemDirectoryChars)
        return 0;
    path[kSystemDirectoryChars - 1] = '\0';
    size_t directoryLength = strlen(path);
    memcpy(path + directoryLength, kDisplayCoreFile, sizeof(kDisplayCoreFile));

    uint32_t versionMS = 0;
    uint32_t versionLS = 0;
    if (!system->GetFileVersion(path, &versionMS, &versionLS))
        return 0;
    return versionLS & 0xFFFFu;
}

// Has VELKOR.VXD, open already, map the whole aperture; the window or null.
// A driver that is present but refuses is final: no other way is tried.
RegisterWindow* MapRegistersWithDriver(KernelDriver* driver)
{
    MapRequest request;
    request.physicalAddress = gApp.registerPhysical;
    request.length = kRegisterWindowBytes;
    uint32_t linearAddress = 0;
    // The byte count alone tells success: a refusing driver may still have
    // written an address.
    if (driver->Map(gApp.driverHandle, &request, &linearAddress) == 0)
        return nullptr;
    return driver->WindowAt(linearAddress);
}

}  // namespace

int DetectBoard()
{
    Platform& platform = gApp.platform;
    if (!platform.system || !platform.driver)
        return 0;

    if (IsVersion3(platform.system->GetVersion()))
        return 0;

    // When this fails every read below fails too and the scan finds nothing.
    InitPciAccess();

    gApp.boardKind = BoardKind::None;
    int32_t slot = FindSupportedChip();
    if (gApp.boardKind == BoardKind::None)
        return 0;

    // Stored as read: the memory-space flag bits 0-3 stay in place.
    ReadPciConfig(slot, kPciBaseAddress0, &gApp.registerPhysical);

    gApp.driverBuild = ReadDisplayDriverBuild(platform.system);

    gApp.driverHandle = platform.driver->Open();
    RegisterWindow* registers = gApp.driverHandle == kInvalidDriverHandle
                                    ? MapRegistersWithoutDriver(platform.physicalMemory, gApp.registerPhysical)
                                    : MapRegistersWithDriver(platform.driver);
    // Whichever way the mapping was made, nothing is read or written through
    // it unless a chip answers there.
    if (!ChipAnswers(registers))
        return 0;
    gApp.registers = registers;

    uint32_t gfxClock = ReadGfxClock();
    gApp.gfx.applied = gfxClock;
    gApp.gfx.selected = gfxClock;
    gApp.gfx.baseline = gfxClock;

    uint32_t memClock = ReadMemClock();
    gApp.mem.applied = memClock;
    gApp.mem.selected = memClock;
    gApp.mem.baseline = memClock;
    return 1;
}

int CloseBoardDriver()
{
    // A failed open leaves the invalid-handle value, which is no handle to
    // close (on Win32 it would name the current process).
    if (gApp.driverHandle != 0 && gApp.driverHandle != kInvalidDriverHandle && gApp.platform.driver)
        gApp.platform.driver->Close(gApp.driverHandle);
    return 1;
}
