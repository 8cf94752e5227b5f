// The clock test's video memory through DirectDraw (see win32_platform.h).
#include "platform/win32/win32_platform.h"

#include <ddraw.h>

namespace {

typedef HRESULT(WINAPI* DirectDrawCreateCall)(GUID* driver, IDirectDraw** draw, IUnknown* outer);

const char kNeedsDirectX[] = "needs DirectX 3 or later";

// IDirectDraw2 (DirectX 3) reports the free video memory. Defined here
// rather than taken from a GUID library, which would bring nothing else.
const GUID kIidDirectDraw2 = {0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};

// Blocks of 1 MiB, 1024 pixels wide (any driver that shows 1024 x 768 makes
// surfaces that wide): fine enough to take nearly all of the free memory.
const uint32_t kBlockWidth = 1024;
const uint32_t kBlockBytes = 1u << 20;
// How long a copy by the chip may take before the chip counts as stuck.
const DWORD kCopyTimeoutMs = 2000;

void Say(char* why, uint32_t whySize, const char* text)
{
    if (why && whySize)
        lstrcpynA(why, text, static_cast<int>(whySize));
}

// The bits of a 32-bit word that the surface's pixels carry: a copy need
// not keep the unused bits of a pixel (the X byte of XRGB).
uint32_t StoredBits(const DDPIXELFORMAT& format)
{
    if (!(format.dwFlags & DDPF_RGB) || format.dwRGBBitCount == 8 || format.dwRGBBitCount == 24)
        return 0xFFFFFFFFu;  // palette indices, or pixels that straddle words
    uint32_t pixel = format.dwRBitMask | format.dwGBitMask | format.dwBBitMask;
    if (format.dwFlags & DDPF_ALPHAPIXELS)
        pixel |= format.dwRGBAlphaBitMask;
    return format.dwRGBBitCount == 16 ? (pixel & 0xFFFF) * 0x10001u : pixel;
}

}  // namespace

IDirectDraw* CreateDirectDraw(HMODULE* library)
{
    *library = LoadLibraryA("DDRAW.DLL");
    DirectDrawCreateCall create =
        *library ? reinterpret_cast<DirectDrawCreateCall>(
                       reinterpret_cast<void*>(GetProcAddress(*library, "DirectDrawCreate")))
                 : nullptr;
    IDirectDraw* draw = nullptr;
    return create && SUCCEEDED(create(nullptr, &draw, nullptr)) ? draw : nullptr;
}

uint32_t Win32VideoBlocks::Open(char* why, uint32_t whySize)
{
    Close();
    Say(why, whySize, "");
    draw_ = CreateDirectDraw(&library_);
    IDirectDraw2* draw2 = nullptr;
    if (!draw_ || FAILED(draw_->QueryInterface(kIidDirectDraw2, reinterpret_cast<void**>(&draw2)))) {
        Close();
        Say(why, whySize, kNeedsDirectX);
        return 0;
    }
    // The board's own memory where the runtime can tell it from AGP memory
    // (DirectX 5 and later), else all video memory.
    DDSCAPS local = {DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM};
    DDSCAPS any = {DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY};
    DWORD total = 0, free = 0;
    const bool told = SUCCEEDED(draw2->GetAvailableVidMem(&local, &total, &free)) ||
                      SUCCEEDED(draw2->GetAvailableVidMem(&any, &total, &free));
    draw2->Release();

    DDSURFACEDESC mode;
    ZeroMemory(&mode, sizeof(mode));
    mode.dwSize = sizeof(mode);
    const uint32_t bytesPerPixel =
        SUCCEEDED(draw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL)) && SUCCEEDED(draw_->GetDisplayMode(&mode))
            ? mode.ddpfPixelFormat.dwRGBBitCount / 8
            : 0;
    if (bytesPerPixel >= 1 && bytesPerPixel <= 4) {
        // The display's own pixel format: every driver makes off-screen
        // surfaces of that one.
        DDSURFACEDESC wanted;
        ZeroMemory(&wanted, sizeof(wanted));
        wanted.dwSize = sizeof(wanted);
        wanted.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        wanted.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
        wanted.dwWidth = kBlockWidth;
        wanted.dwHeight = kBlockBytes / (kBlockWidth * bytesPerPixel);
        while (count_ < kMaxBlocks && (!told || (count_ + 1) * kBlockBytes <= free)) {
            IDirectDrawSurface* surface = nullptr;
            if (FAILED(draw_->CreateSurface(&wanted, &surface, nullptr)))
                break;
            DDSURFACEDESC made;
            ZeroMemory(&made, sizeof(made));
            made.dwSize = sizeof(made);
            // Video memory after all, and the board's own: DirectX 5 drivers
            // may place such surfaces in AGP memory, which is system memory.
            if (FAILED(surface->GetSurfaceDesc(&made)) || !(made.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) ||
                (made.ddsCaps.dwCaps & DDSCAPS_NONLOCALVIDMEM)) {
                surface->Release();
                break;
            }
            surfaces_[count_++] = surface;
            rowWords_ = kBlockWidth * bytesPerPixel / 4;
            rows_ = made.dwHeight;
            bitMask_ = StoredBits(made.ddpfPixelFormat);
        }
    }
    if (count_ == 0) {
        Close();
        Say(why, whySize, "no off-screen video memory is free");
    }
    return count_;
}

void Win32VideoBlocks::Close()
{
    for (uint32_t i = 0; i < count_; ++i)
        surfaces_[i]->Release();
    count_ = 0;
    if (draw_)
        draw_->Release();
    draw_ = nullptr;
    if (library_)
        FreeLibrary(library_);
    library_ = nullptr;
}

VideoBlocksResult Win32VideoBlocks::Lock(uint32_t block, VideoBlockView* view)
{
    if (block >= count_)
        return VideoBlocksResult::Failed;
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    const HRESULT locked = surfaces_[block]->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_NOSYSLOCK, nullptr);
    if (locked == DDERR_SURFACELOST)
        return VideoBlocksResult::Lost;
    if (FAILED(locked))
        return VideoBlocksResult::Failed;
    if (!desc.lpSurface || desc.lPitch % 4 != 0 || static_cast<uint32_t>(desc.lPitch) < rowWords_ * 4) {
        surfaces_[block]->Unlock(desc.lpSurface);
        return VideoBlocksResult::Failed;
    }
    view->base = static_cast<volatile uint32_t*>(desc.lpSurface);
    view->rowWords = rowWords_;
    view->rows = rows_;
    view->pitchWords = static_cast<uint32_t>(desc.lPitch) / 4;
    view->bitMask = bitMask_;
    return VideoBlocksResult::Ok;
}

void Win32VideoBlocks::Unlock(uint32_t block)
{
    if (block < count_)
        surfaces_[block]->Unlock(nullptr);
}

VideoBlocksResult Win32VideoBlocks::Copy(uint32_t from, uint32_t to)
{
    if (from >= count_ || to >= count_ || from == to)
        return VideoBlocksResult::Failed;
    IDirectDrawSurface* target = surfaces_[to];
    HRESULT result = target->Blt(nullptr, surfaces_[from], nullptr, DDBLT_WAIT, nullptr);
    // Blt only queues the copy: wait until the chip has done it.
    const DWORD start = GetTickCount();
    while (SUCCEEDED(result) && (result = target->GetBltStatus(DDGBS_ISBLTDONE)) == DDERR_WASSTILLDRAWING) {
        if (GetTickCount() - start > kCopyTimeoutMs)
            return VideoBlocksResult::Failed;
        Sleep(0);
    }
    if (result == DDERR_SURFACELOST)
        return VideoBlocksResult::Lost;
    return SUCCEEDED(result) ? VideoBlocksResult::Ok : VideoBlocksResult::Failed;
}

VideoBlocksResult Win32VideoBlocks::Restore()
{
    if (count_ == 0)
        return VideoBlocksResult::Failed;
    // A surface that cannot come back (another pixel format now) ends the test.
    for (uint32_t i = 0; i < count_; ++i) {
        if (surfaces_[i]->IsLost() == DDERR_SURFACELOST && FAILED(surfaces_[i]->Restore()))
            return VideoBlocksResult::Failed;
    }
    return VideoBlocksResult::Ok;
}
