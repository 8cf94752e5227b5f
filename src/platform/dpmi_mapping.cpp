#include "platform/dpmi_mapping.h"

#include <string.h>

namespace {

// Offsets into a PE32 image (winnt.h's IMAGE_* records).
const uint32_t kNtHeaderOffset = 0x3C;       // IMAGE_DOS_HEADER.e_lfanew
const uint32_t kOptionalHeader = 24;         // after "PE\0\0" and the file header
const uint32_t kOptionalHeaderSize = 20;     // IMAGE_FILE_HEADER.SizeOfOptionalHeader, from "PE"
const uint32_t kDirectoryCount = 92;         // IMAGE_OPTIONAL_HEADER32.NumberOfRvaAndSizes
const uint32_t kExportDirectory = 96;        // DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT]
const uint32_t kOrdinalBase = 16;            // IMAGE_EXPORT_DIRECTORY.Base
const uint32_t kFunctionCount = 20;
const uint32_t kNameCount = 24;
const uint32_t kFunctionTable = 28;
const uint32_t kNameOrdinalTable = 36;

uint32_t Dword(const uint8_t* at)
{
    uint32_t value;
    memcpy(&value, at, sizeof(value));
    return value;
}

uint16_t Word(const uint8_t* at)
{
    uint16_t value;
    memcpy(&value, at, sizeof(value));
    return value;
}

}  // namespace

ExportKind FindExportByOrdinal(const uint8_t* image, uint32_t ordinal, uintptr_t* address,
                               const char** forwarder)
{
    if (!image || image[0] != 'M' || image[1] != 'Z')
        return ExportKind::Missing;
    const uint8_t* nt = image + Dword(image + kNtHeaderOffset);
    if (memcmp(nt, "PE\0\0", 4) != 0 || Word(nt + kOptionalHeaderSize) < kExportDirectory + 8)
        return ExportKind::Missing;
    const uint8_t* optional = nt + kOptionalHeader;
    if (Word(optional) != 0x10B || Dword(optional + kDirectoryCount) < 1)
        return ExportKind::Missing;
    uint32_t directoryRva = Dword(optional + kExportDirectory);
    uint32_t directorySize = Dword(optional + kExportDirectory + 4);
    if (directoryRva == 0 || directorySize == 0)
        return ExportKind::Missing;

    const uint8_t* directory = image + directoryRva;
    uint32_t index = ordinal - Dword(directory + kOrdinalBase);
    if (ordinal < Dword(directory + kOrdinalBase) || index >= Dword(directory + kFunctionCount))
        return ExportKind::Missing;
    uint32_t rva = Dword(image + Dword(directory + kFunctionTable) + 4 * index);
    if (rva == 0)
        return ExportKind::Missing;

    // The 9x line exports VxDCall by ordinal only; a name on it means the
    // ordinal is some other function, which must not be called this way.
    const uint8_t* nameOrdinals = image + Dword(directory + kNameOrdinalTable);
    for (uint32_t i = 0; i < Dword(directory + kNameCount); ++i) {
        if (Word(nameOrdinals + 2 * i) == index)
            return ExportKind::Named;
    }
    if (rva >= directoryRva && rva - directoryRva < directorySize) {
        if (forwarder)
            *forwarder = reinterpret_cast<const char*>(image + rva);
        return ExportKind::Forwarder;
    }
    *address = reinterpret_cast<uintptr_t>(image + rva);
    return ExportKind::Code;
}

int MapThroughVxDCall(const uint8_t* kernel32, DpmiMapCall call, uint32_t physicalAddress, uint32_t length,
                      uint32_t* linearAddress)
{
    uintptr_t vxdCall = 0;
    if (FindExportByOrdinal(kernel32, kVxDCall2Ordinal, &vxdCall, nullptr) != ExportKind::Code)
        return 0;
    uint32_t linear = 0;
    if (!call(vxdCall, physicalAddress, length, &linear) || linear == 0)
        return 0;
    *linearAddress = linear;
    return 1;
}
