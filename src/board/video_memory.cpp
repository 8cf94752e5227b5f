#include "board/video_memory.h"

namespace {

const uint32_t kTntMemoryRegister = 0x100000;      // bits 1:0 size, bit 8 shared memory
const uint32_t kGeForceMemoryRegister = 0x10020C;  // bits 31:20 size in MiB
const uint32_t kTntSharedMemory = 0x100;

}  // namespace

uint32_t ReadVideoMemoryMiB(BoardKind kind, RegisterWindow* registers)
{
    if (!registers)
        return 0;
    switch (kind) {
    case BoardKind::TNT:
    case BoardKind::TNT2:
    case BoardKind::UltraTNT2:
    case BoardKind::Vanta:
    case BoardKind::TNT2Value: {
        static const uint32_t kSizes[4] = {32, 4, 8, 16};
        const uint32_t config = registers->Read32(kTntMemoryRegister);
        return (config & kTntSharedMemory) ? 0 : kSizes[config & 3];
    }
    case BoardKind::Gravenor:
    case BoardKind::GravenorPro:
        return registers->Read32(kGeForceMemoryRegister) >> 20;
    default:
        return 0;
    }
}
