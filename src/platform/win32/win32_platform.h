#pragma once
// The Win32 implementations of the platform seams, as Velkor.exe uses them.
// velkor-sim.exe and arbolt-sim.exe use them too, except for the seams that
// reach the board, which sim/win32/sim_machine.cpp takes from the simulated PC.
#include <windows.h>

// <windows.h> maps GetSystemDirectory to GetSystemDirectoryA, which would
// rename the SystemInfo method in some files and not in others. Every file
// that includes this header before the seams sees the plain name.
#undef GetSystemDirectory

#include "platform/platform.h"

// in/out executed directly. Where the platform refuses them (the NT line, or
// Wine with its port emulation off) the resulting fault is caught,
// the port layer remembers the refusal and every later read gives all ones.
class Win32Ports final : public PortIo {
public:
    uint32_t InDword(uint16_t port) override;
    uint8_t InByte(uint16_t port) override;
    void OutDword(uint16_t port, uint32_t value) override;
    void OutByte(uint16_t port, uint8_t value) override;
    bool Refused() const { return refused_; }

private:
    bool refused_ = false;
};

// The guarded read's handler, reachable for the probe that hands it the
// reports each kind of host makes.
EXCEPTION_DISPOSITION __cdecl GuardedReadFaultHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                      CONTEXT* context, void* dispatcherContext);

// The chip's registers at linear addresses of this process, in pieces: the
// whole aperture from VELKOR.VXD, or the pieces DPMI mapped. Offsets no piece
// carries read as all ones and are not written. GuardedRead32 catches the
// access fault of a mapping that leads nowhere (win32_registers.cpp).
class Win32RegisterWindow final : public RegisterWindow {
public:
    void SetRanges(const RegisterRange* ranges, int count);

    uint32_t Read32(uint32_t offset) override;
    void Write32(uint32_t offset, uint32_t value) override;
    uint8_t Read8(uint32_t offset) override;
    int GuardedRead32(uint32_t offset, uint32_t* value) override;

private:
    volatile uint8_t* At(uint32_t offset) const;

    RegisterRange ranges_[kMappedRangeCount] = {};
    int count_ = 0;
};

class Win32KernelDriver final : public KernelDriver {
public:
    DriverHandle Open() override;
    uint32_t Map(DriverHandle handle, const MapRequest* request, uint32_t* linearAddress) override;
    RegisterWindow* WindowAt(uint32_t linearAddress) override;
    void Close(DriverHandle handle) override;

private:
    Win32RegisterWindow window_;
};

// DPMI function 0800h through kernel32's VxDCall2, found by walking
// kernel32's export table; where that entry is no code (NT, Wine) Map fails.
class Win32PhysicalMemory final : public PhysicalMemory {
public:
    int Map(uint32_t physicalAddress, uint32_t length, uint32_t* linearAddress) override;
    RegisterWindow* WindowOver(const RegisterRange* ranges, int count) override;

private:
    Win32RegisterWindow window_;
};

// The call itself, through the VxDCall2 entry at `vxdCall` (a DpmiMapCall):
// 1 when the carry flag came back clear, the linear address in *linearAddress.
int CallVxDDpmiMap(uintptr_t vxdCall, uint32_t physicalAddress, uint32_t length, uint32_t* linearAddress);

class Win32SystemInfo final : public SystemInfo {
public:
    uint32_t GetVersion() override;
    uint32_t GetPlatformId() override;
    uint32_t GetSystemDirectory(char* buffer, uint32_t size) override;
    int GetFileVersion(const char* path, uint32_t* versionMS, uint32_t* versionLS) override;
    uint32_t GetProgramPath(char* buffer, uint32_t size) override;
    uint32_t GetCanonicalPath(const char* path, char* buffer, uint32_t size) override;
};

// ResetMode lives in win32_display.cpp, QueryDriverKey in win32_display_escape.cpp.
class Win32Display final : public Display {
public:
    int ResetMode() override;
    int QueryDriverKey(char output[kDriverKeyEscapeBytes]) override;
};

class Win32Ticks final : public Ticks {
public:
    void Sleep(uint32_t milliseconds) override;
    uint32_t GetTickCount() override;
};

class Win32Registry final : public Registry {
public:
    int OpenForRead(const char* path, RegKey* key) override;
    int OpenForWrite(const char* path, RegKey* key) override;
    int Create(const char* path, RegKey* key) override;
    int QueryValue(RegKey key, const char* name, uint32_t* type, void* data, uint32_t* size) override;
    int SetDword(RegKey key, const char* name, uint32_t value) override;
    int SetString(RegKey key, const char* name, const char* text) override;
    int DeleteValue(RegKey key, const char* name) override;
    void Close(RegKey key) override;
};

struct IDirectDraw;
struct IDirectDrawSurface;

// DirectDraw from DDRAW.DLL loaded now (*library, to be freed by the
// caller even when no object came): null where there is no DirectX.
IDirectDraw* CreateDirectDraw(HMODULE* library);

// The clock test's video memory: DirectDraw off-screen surfaces in video
// memory, as many as the display driver grants up to the free video memory
// it reports (never the visible screen). DDRAW.DLL is loaded at run time, so
// that Velkor still starts where there is no DirectX (Windows 95 before
// OSR2). Surfaces are locked without the system-wide lock, which would
// freeze the machine while the test reads them.
class Win32VideoBlocks final : public VideoBlocks {
public:
    static const uint32_t kMaxBlocks = 64;

    uint32_t Open(char* why, uint32_t whySize) override;
    void Close() override;
    uint32_t BlockCount() override { return count_; }
    uint32_t BlockBytes(uint32_t block) override { return block < count_ ? rowWords_ * rows_ * 4 : 0; }
    VideoBlocksResult Lock(uint32_t block, VideoBlockView* view) override;
    void Unlock(uint32_t block) override;
    VideoBlocksResult Copy(uint32_t from, uint32_t to) override;
    VideoBlocksResult Restore() override;

private:
    HMODULE library_ = nullptr;
    IDirectDraw* draw_ = nullptr;
    IDirectDrawSurface* surfaces_[kMaxBlocks] = {};
    uint32_t count_ = 0;
    uint32_t rowWords_ = 0;
    uint32_t rows_ = 0;
    uint32_t bitMask_ = 0;
};

struct IDirectDraw4;
struct IDirectDrawSurface4;
struct IDirect3D3;
struct IDirect3DDevice3;
struct IDirect3DViewport3;
struct IDirect3DTexture2;

// The graphics core test's scene through Direct3D of DirectX 6 (IDirectDraw4,
// IDirect3D3, a HAL IDirect3DDevice3): the lowest that gives two texture
// stages and runs on stock Windows 98 SE. DDRAW.DLL is loaded at run time,
// like the video blocks'. Everything lives in video memory: the off-screen
// 3D surface in the display's own format, its 16-bit Z buffer and both
// textures. Direct3D sets the processor's floating-point unit to single
// precision; every call here puts the caller's setting back.
class Win32Render final : public SceneRender {
public:
    uint32_t Open(char* why, uint32_t whySize) override;
    void Close() override;
    VideoBlocksResult Draw() override;
    VideoBlocksResult Lock(RenderFrameView* view) override;
    void Unlock() override;
    VideoBlocksResult Restore() override;

private:
    uint32_t Build(char* why, uint32_t whySize);
    bool FillTextures();

    HMODULE library_ = nullptr;
    IDirectDraw4* draw_ = nullptr;
    IDirect3D3* direct3d_ = nullptr;
    IDirectDrawSurface4* target_ = nullptr;
    IDirectDrawSurface4* depth_ = nullptr;
    IDirect3DDevice3* device_ = nullptr;
    IDirect3DViewport3* viewport_ = nullptr;
    IDirectDrawSurface4* textureSurfaces_[2] = {};
    IDirect3DTexture2* textures_[2] = {};
    uint32_t bitMask_ = 0;
    uint32_t pixelsPerWord_ = 1;
};

// Plugs the implementations above into *platform: what Velkor.exe runs on.
void InstallWin32Platform(Platform* platform);
